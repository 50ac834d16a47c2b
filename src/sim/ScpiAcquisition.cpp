// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ScpiAcquisition.h"

#include <algorithm>
#include <cmath>

#include "sim/ErrorQueue.h"

namespace tarvix::sim {

namespace {

constexpr int kSourceBus = 1;  // index of BUS among the trigger sources
constexpr int kFeedNone = 2;
constexpr int kFeedNext = 0;
constexpr int kFeedNever = 1;
// An acquisition the instruments take in one go at most.
constexpr int kMaxReadings = 2500;

}  // namespace

ScpiAcquisition::ScpiAcquisition(ScpiCommandTable& table, ScpiSettings& settings,
                                 ScpiStatus& status, Hooks hooks, int bufferCapacity)
    : status_(status), hooks_(std::move(hooks)), capacity_(bufferCapacity) {
    addTriggerCommands(table, settings);
    addBufferCommands(table, settings);
}

void ScpiAcquisition::addTriggerCommands(ScpiCommandTable& table, ScpiSettings& settings) {
    armCount_ = &settings.integer("ARM[:SEQuence][:LAYer]:COUNt", 1, kMaxReadings, 1);
    armSource_ = &settings.choice(
        "ARM[:SEQuence][:LAYer]:SOURce",
        {"IMMediate", "BUS", "TIMer", "MANual", "TLINk", "NSTest", "PSTest", "BSTest"}, 0);
    settings.number({"ARM[:SEQuence][:LAYer]:TIMer", 0.001, 99999.99, 0.1, "S"});
    triggerCount_ = &settings.integer("TRIGger[:SEQuence]:COUNt", 1, kMaxReadings, 1);
    triggerSource_ =
        &settings.choice("TRIGger[:SEQuence]:SOURce", {"IMMediate", "BUS", "TLINk"}, 0);
    settings.number({"TRIGger[:SEQuence]:DELay", 0.0, 999.9999, 0.0, "S"});
    // The trigger link lines: where events come in and go out.
    for (const std::string layer : {"ARM[:SEQuence][:LAYer]", "TRIGger[:SEQuence]"}) {
        settings.integer(layer + ":ILINe", 1, 4, 1);
        settings.integer(layer + ":OLINe", 1, 4, 2);
        settings.choice(layer + ":OUTPut", {"NONE", "SOURce", "DELay", "SENSe", "TRIGger"}, 0);
    }
    table.addCommand("INITiate[:IMMediate]", [this](ScpiCall& call) { initiate(call); });
    table.addCommand("ABORt", [this](ScpiCall&) { waitingForTrigger_ = false; });
    table.addCommand("*TRG", [this](ScpiCall&) { trigger(); });
    table.addQuery("READ", [this](ScpiCall& call) { read(call); });
    table.addQuery("FETCh", [this](ScpiCall& call) {
        if (last_.empty()) {
            call.fail(errors::kDataStale);
            return;
        }
        call.reply(formatAll(last_));
    });
}

void ScpiAcquisition::addBufferCommands(ScpiCommandTable& table, ScpiSettings& settings) {
    bufferPoints_ = &settings.integer("TRACe:POINts", 1, capacity_, capacity_);
    feed_ = &settings.choice("TRACe:FEED", {"SENSe", "CALCulate", "NONE"}, 0);
    feedControl_ = &settings.choice("TRACe:FEED:CONTrol", {"NEXT", "NEVer"}, kFeedNever);
    settings.choice("FORMat[:DATA]", {"ASCii"}, 0);  // readings are only ever sent as text
    table.addCommand("TRACe:CLEar", [this](ScpiCall&) { buffer_.clear(); });
    table.addQuery("TRACe:POINts:ACTual",
                   [this](ScpiCall& call) { call.reply(std::to_string(buffer_.size())); });
    table.addQuery("TRACe:DATA", [this](ScpiCall& call) { call.reply(formatAll(buffer_)); });
    table.addQuery("TRACe:FREE", [this](ScpiCall& call) {
        const std::size_t used = buffer_.size() * 64;
        call.reply(std::to_string(static_cast<std::size_t>(capacity_) * 64 - used) + "," +
                   std::to_string(used));
    });
}

void ScpiAcquisition::reset() {
    waitingForTrigger_ = false;
    last_.clear();
}

bool ScpiAcquisition::mayStart(ScpiCall& call) const {
    if (*armCount_ * *triggerCount_ > kMaxReadings) {
        call.fail(errors::kSettingsConflict);
        return false;
    }
    const int refused = hooks_.refusal ? hooks_.refusal() : 0;
    if (refused != 0) {
        call.fail(refused);
        return false;
    }
    return true;
}

void ScpiAcquisition::initiate(ScpiCall& call) {
    if (!mayStart(call)) {
        return;
    }
    if (*armSource_ == kSourceBus || *triggerSource_ == kSourceBus) {
        waitingForTrigger_ = true;
        return;
    }
    acquire();
}

void ScpiAcquisition::read(ScpiCall& call) {
    if (!mayStart(call)) {
        return;
    }
    acquire();  // READ? triggers itself whatever the sources say
    call.reply(formatAll(last_));
}

void ScpiAcquisition::trigger() {
    if (waitingForTrigger_) {
        waitingForTrigger_ = false;
        acquire();
    }
}

void ScpiAcquisition::acquire() {
    last_.clear();
    if (hooks_.begin) {
        hooks_.begin();
    }
    const int count = *armCount_ * *triggerCount_;
    for (int i = 0; i < count; ++i) {
        last_.push_back(hooks_.take());
    }
    if (hooks_.end) {
        hooks_.end();
    }
    if (*feed_ == kFeedNone || *feedControl_ != kFeedNext) {
        return;
    }
    for (const Reading& reading : last_) {
        if (static_cast<int>(buffer_.size()) < *bufferPoints_) {
            buffer_.push_back(reading);
        }
    }
    if (static_cast<int>(buffer_.size()) >= *bufferPoints_) {
        *feedControl_ = kFeedNever;  // a full buffer stops storing, as on the instrument
        status_.measurementEvent(ScpiStatus::kBufferFull);
    }
}

ScpiAcquisition::Reading ScpiAcquisition::bufferStatistic(Statistic statistic) const {
    Reading result(buffer_.front().size());
    const double count = static_cast<double>(buffer_.size());
    for (std::size_t element = 0; element < result.size(); ++element) {
        double mean = 0.0;
        double low = buffer_.front()[element];
        double high = low;
        for (const Reading& reading : buffer_) {
            mean += reading[element] / count;
            low = std::min(low, reading[element]);
            high = std::max(high, reading[element]);
        }
        double squares = 0.0;
        for (const Reading& reading : buffer_) {
            squares += (reading[element] - mean) * (reading[element] - mean);
        }
        const double spread = count > 1 ? std::sqrt(squares / (count - 1)) : 0.0;
        const double values[] = {mean, spread, high, low, high - low};
        result[element] = values[static_cast<int>(statistic)];
    }
    return result;
}

std::string ScpiAcquisition::formatAll(const std::vector<Reading>& readings) const {
    std::string text;
    for (const Reading& reading : readings) {
        text += (text.empty() ? "" : ",") + hooks_.format(reading);
    }
    return text;
}

}  // namespace tarvix::sim
