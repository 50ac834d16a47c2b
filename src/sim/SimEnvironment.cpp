// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimEnvironment.h"

#include <cmath>

#include "sim/ActivatedSample.h"
#include "sim/PooleFrenkelSample.h"
#include "sim/ResistorSample.h"

namespace tarvix::sim {

namespace {

// The samples that depend on temperature are at the cryostat's.
std::unique_ptr<IvSample> makeIvSample(const SimOptions& options, const Cryostat& cryostat) {
    if (options.resistorOhms) {
        return std::make_unique<ResistorSample>(*options.resistorOhms);
    }
    SampleTemperature kelvin = [&cryostat] { return cryostat.temperature(); };
    if (options.activated) {
        return std::make_unique<ActivatedSample>(*options.activated, std::move(kelvin));
    }
    return std::make_unique<PooleFrenkelSample>(PooleFrenkelSample::Parameters{},
                                                std::move(kelvin));
}

}  // namespace

SimEnvironment::SimEnvironment(const SimOptions& options, SimClock clock)
    : clock_(clock ? std::move(clock) : steadyClock()),
      noise_(options.noiseScale, options.seed),
      cryostat_(options.temperature, clock_),
      ivSample_(makeIvSample(options, cryostat_)),
      lcrDevice_(makeLcrDevice(options, cryostat_)),
      currentThroughSample_(options.currentThroughSample) {}

SimEnvironment::SourcedCurrent SimEnvironment::sourceCurrent(double amps, double voltLimit) const {
    if (currentThroughSample_) {
        SourcedCurrent result{ivSample_->voltageFor(amps), amps, false};
        if (std::abs(result.volts) > voltLimit) {
            result.volts = std::copysign(voltLimit, result.volts);
            result.amps = ivSample_->current(result.volts);
            result.compliance = true;
        }
        return result;
    }
    const double ohms = cryostat_.sampleResistance();
    SourcedCurrent result{amps * ohms, amps, false};
    if (std::abs(result.volts) > voltLimit) {
        result.volts = std::copysign(voltLimit, result.volts);
        result.amps = result.volts / ohms;
        result.compliance = true;
    }
    return result;
}

ParallelRcModel SimEnvironment::makeLcrDevice(const SimOptions& options, const Cryostat& cryostat) {
    if (options.lcr) {
        const double ohms = options.lcr->ohms;
        return ParallelRcModel([ohms] { return ohms; }, options.lcr->farads);
    }
    return ParallelRcModel([&cryostat] { return cryostat.sampleResistance(); },
                           ParallelRcModel::kCryostatFarads);
}

}  // namespace tarvix::sim
