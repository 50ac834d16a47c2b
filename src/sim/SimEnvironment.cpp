#include "sim/SimEnvironment.h"

#include <cmath>

#include "sim/PooleFrenkelSample.h"
#include "sim/ResistorSample.h"

namespace tarvix::sim {

namespace {

std::unique_ptr<IvSample> makeIvSample(const SimOptions& options) {
    if (options.resistorOhms) {
        return std::make_unique<ResistorSample>(*options.resistorOhms);
    }
    return std::make_unique<PooleFrenkelSample>();
}

}  // namespace

SimEnvironment::SimEnvironment(const SimOptions& options, SimClock clock)
    : clock_(clock ? std::move(clock) : steadyClock()),
      noise_(options.noiseScale, options.seed),
      ivSample_(makeIvSample(options)),
      cryostat_(options.temperature, clock_),
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
