// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimBench.h"

#include <chrono>
#include <thread>

#include "sim/LcrMeter7600.h"
#include "sim/Picoammeter6485.h"
#include "sim/ScanningMultimeter.h"
#include "sim/Smu24xx.h"
#include "sim/Smu2636.h"

namespace tarvix::sim {

namespace {

constexpr int kPicoammeterAddress = 14;
constexpr int kMultimeterAddress = 16;
constexpr int kLcrMeterAddress = 4;

}  // namespace

SimBench::SimBench(const SimOptions& options, SimClock clock)
    : options_(options),
      environment_(std::make_unique<SimEnvironment>(options_, std::move(clock))) {
    const int smuAddress = options_.smuAddress();
    if (options_.smu == SmuModel::k2636A) {
        auto smu = std::make_unique<Smu2636>(*environment_);
        environment_->setSourceUnit(smu.get());
        install(smuAddress, std::move(smu));
    } else {
        auto smu = std::make_unique<Smu24xx>(options_.smu, *environment_);
        environment_->setSourceUnit(smu.get());
        install(smuAddress, std::move(smu));
    }
    install(kPicoammeterAddress, std::make_unique<Picoammeter6485>(*environment_));
    install(kMultimeterAddress, std::make_unique<ScanningMultimeter>(*environment_));
    install(kLcrMeterAddress, std::make_unique<LcrMeter7600>(*environment_));
}

std::unique_ptr<SimBench> SimBench::create(const QString& options, QString* error, SimClock clock) {
    const auto parsed = parseSimOptions(options, error);
    if (!parsed) {
        return nullptr;
    }
    return std::make_unique<SimBench>(*parsed, std::move(clock));
}

void SimBench::install(int address, std::unique_ptr<SimInstrument> instrument) {
    // An absent instrument is switched off; an absent SMU drives nothing.
    if (options_.absent.contains(address)) {
        if (address == options_.smuAddress()) {
            environment_->setSourceUnit(nullptr);
        }
        return;
    }
    instruments_[address] = std::move(instrument);
}

SimInstrument* SimBench::instrument(int address) {
    const auto found = instruments_.find(address);
    return found == instruments_.end() ? nullptr : found->second.get();
}

std::vector<int> SimBench::addresses() const {
    std::vector<int> result;
    for (const auto& entry : instruments_) {
        result.push_back(entry.first);
    }
    return result;
}

bool SimBench::listenerPresent(int address) const {
    return instruments_.contains(address);
}

int SimBench::send(int address, std::string_view message) {
    wait();
    SimInstrument* target = instrument(address);
    if (!target) {
        return kNoListener;
    }
    if (options_.failSend.contains(address)) {
        return kInjectedFault;
    }
    target->write(message);
    return 0;
}

int SimBench::enter(int address, std::size_t maxLength, std::string* reply) {
    wait();
    SimInstrument* source = instrument(address);
    if (!source) {
        return kNoListener;
    }
    if (options_.failEnter.contains(address)) {
        return kInjectedFault;
    }
    auto text = source->read(maxLength);
    if (!text) {
        return kTimedOut;
    }
    *reply = std::move(*text);
    return 0;
}

void SimBench::wait() const {
    if (options_.latencyMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options_.latencyMs));
    }
}

}  // namespace tarvix::sim
