// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Picoammeter6485.h"

#include <cmath>

#include "sim/ReadingText.h"

namespace tarvix::sim {

namespace {

constexpr double kRanges[] = {2e-9, 2e-8, 2e-7, 2e-6, 2e-5, 2e-4, 2e-3, 2e-2};
constexpr double kOverRange = 1.05;
constexpr int kBufferCapacity = 2500;

std::string number(double value) {
    return readingText::signedExponent(value, 6);
}

}  // namespace

Picoammeter6485::Picoammeter6485(SimEnvironment& environment) : environment_(environment) {
    addRangeCommands();
    addSettings();
    acquisition_ = std::make_unique<ScpiAcquisition>(
        commands(), settings(), status(),
        ScpiAcquisition::Hooks{
            [this] {
                return ScpiAcquisition::Reading{measure(), environment_.now() - resetSeconds_, 0.0};
            },
            [this](const ScpiAcquisition::Reading& r) { return readingText(r); }},
        kBufferCapacity);
    addConfigureCommands();
    reset();
}

void Picoammeter6485::addRangeCommands() {
    commands().add(
        "[SENSe]:CURRent[:DC]:RANGe:AUTO",
        [this](ScpiCall& call) {
            if (const auto on = call.boolean(0)) {
                autoRange_ = *on;
            }
        },
        [this](ScpiCall& call) { call.reply(autoRange_ ? "1" : "0"); });
    commands().add(
        "[SENSe]:CURRent[:DC]:RANGe[:UPPer]",
        [this](ScpiCall& call) {
            if (const auto value = call.number(0, -0.021, 0.021, 2e-2, "A")) {
                range_ = kRanges[std::size(kRanges) - 1];
                for (const double range : kRanges) {
                    if (range >= std::abs(*value)) {
                        range_ = range;
                        break;
                    }
                }
                autoRange_ = false;
            }
        },
        [this](ScpiCall& call) { call.reply(number(range_)); });
    settings().number({"[SENSe]:CURRent[:DC]:RANGe:AUTO:ULIMit", -0.021, 0.021, 2e-2, "A"});
    settings().number({"[SENSe]:CURRent[:DC]:RANGe:AUTO:LLIMit", -0.021, 0.021, 2e-9, "A"});
    commands().add(
        "[SENSe]:CURRent[:DC]:NPLCycles",
        [this](ScpiCall& call) {
            if (const auto value = call.number(0, 0.01, 60.0, 6.0)) {
                nplc_ = *value;
            }
        },
        [this](ScpiCall& call) { call.reply(number(nplc_)); });
}

void Picoammeter6485::addSettings() {
    commands().add(
        "SYSTem:ZCHeck[:STATe]",
        [this](ScpiCall& call) {
            if (const auto on = call.boolean(0)) {
                zeroCheck_ = *on;
            }
        },
        [this](ScpiCall& call) { call.reply(zeroCheck_ ? "1" : "0"); });
    settings().flag("SYSTem:ZCORrect[:STATe]", false);
    commands().addCommand("SYSTem:ZCORrect:ACQuire", [](ScpiCall&) {});
    settings().flag("SYSTem:AZERo[:STATe]", true);
    settings().integer("SYSTem:LFRequency", 50, 60, 60);
    settings().flag("[SENSe]:CURRent[:DC]:DAMPing[:STATe]", true);
    settings().flag("[SENSe]:AVERage[:STATe]", false);
    settings().choice("[SENSe]:AVERage:TCONtrol", {"REPeat", "MOVing"}, 1);
    settings().integer("[SENSe]:AVERage:COUNt", 2, 100, 10);
    settings().flag("[SENSe]:MEDian[:STATe]", false);
    settings().integer("[SENSe]:MEDian:RANK", 1, 5, 1);
    commands().add(
        "FORMat:ELEMents",
        [this](ScpiCall& call) {
            std::array<bool, kElementCount> chosen{};
            for (std::size_t i = 0; i < call.count(); ++i) {
                const auto element = call.choice(i, {"READing", "UNITs", "TIME", "STATus"});
                if (!element) {
                    return;
                }
                chosen[static_cast<std::size_t>(*element)] = true;
            }
            elements_ = chosen;
        },
        [this](ScpiCall& call) {
            static const char* const names[] = {"READ", "UNIT", "TIME", "STAT"};
            std::string list;
            for (std::size_t i = 0; i < elements_.size(); ++i) {
                if (elements_[i]) {
                    list += (list.empty() ? "" : ",") + std::string(names[i]);
                }
            }
            call.reply(list);
        },
        1, kElementCount);
}

void Picoammeter6485::addConfigureCommands() {
    // Current is the only function there is to choose.
    commands().add(
        "[SENSe]:FUNCtion[:ON]", [](ScpiCall& call) { call.quotedChoice(0, {"CURRent[:DC]"}); },
        [](ScpiCall& call) { call.reply("\"CURR:DC\""); });
    commands().addCommand("CONFigure[:CURRent[:DC]]", [](ScpiCall&) {});
    commands().addQuery("CONFigure", [](ScpiCall& call) { call.reply("\"CURR:DC\""); });
    commands().addQuery("MEASure[:CURRent[:DC]]",
                        [this](ScpiCall& call) { acquisition_->read(call); });
}

std::string Picoammeter6485::identification() const {
    return "KEITHLEY INSTRUMENTS INC.,MODEL 6485,1008553,B03   Sep 25 2002 10:53:29/A02  /E";
}

void Picoammeter6485::reset() {
    zeroCheck_ = true;
    autoRange_ = true;
    range_ = 2e-2;
    nplc_ = 6.0;
    elements_.fill(true);
    resetSeconds_ = environment_.now();
    if (acquisition_) {
        acquisition_->reset();
    }
}

double Picoammeter6485::measure() {
    NoiseSource& noise = environment_.noise();
    if (zeroCheck_) {
        return noise.gaussian(2e-15);  // the input is shunted: only the offset noise
    }
    const double amps = noise.disturb(environment_.ivSampleCurrent(), 2e-4, 5e-15);
    if (!autoRange_ && std::abs(amps) > range_ * kOverRange) {
        return readingText::kOverflow;
    }
    return amps;
}

// The reading carries its unit only when UNITs is chosen with it.
std::string Picoammeter6485::readingText(const ScpiAcquisition::Reading& record) const {
    std::string text;
    const auto field = [&text](const std::string& value) {
        text += (text.empty() ? "" : ",") + value;
    };
    if (elements_[kRead]) {
        field(number(record[0]) + (elements_[kUnit] ? "A" : ""));
    }
    if (elements_[kTime]) {
        field(number(record[1]));
    }
    if (elements_[kStat]) {
        field(number(record[2]));
    }
    return text;
}

}  // namespace tarvix::sim
