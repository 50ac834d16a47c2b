// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "sim/Cryostat.h"
#include "sim/IvSample.h"
#include "sim/NoiseSource.h"
#include "sim/ParallelRcModel.h"
#include "sim/SimClock.h"
#include "sim/SimOptions.h"
#include "sim/SourceUnit.h"

namespace tarvix::sim {

// The physical world the instruments of one bench share: time, noise, the I-V sample, the
// cryostat with its sample, the device on the LCR meter, and the source unit driving the
// I-V sample.
class SimEnvironment {
  public:
    SimEnvironment(const SimOptions& options, SimClock clock);
    SimEnvironment(const SimEnvironment&) = delete;
    SimEnvironment& operator=(const SimEnvironment&) = delete;

    double now() const { return clock_(); }
    NoiseSource& noise() { return noise_; }
    const IvSample& ivSample() const { return *ivSample_; }
    const Cryostat& cryostat() const { return cryostat_; }
    const ParallelRcModel& lcrDevice() const { return lcrDevice_; }

    // What a current source sees: the voltage across the sample it drives (the cryostat's,
    // or the I-V sample with isource=sample) and, when that would pass `voltLimit`, the
    // voltage clipped to it and the smaller current that flows.
    struct SourcedCurrent {
        double volts = 0.0;
        double amps = 0.0;
        bool compliance = false;
    };
    SourcedCurrent sourceCurrent(double amps, double voltLimit) const;
    bool currentThroughSample() const { return currentThroughSample_; }

    // Current through the I-V sample now (0 when no source unit drives it).
    double ivSampleCurrent() const { return sourceUnit_ ? sourceUnit_->ivSampleCurrent() : 0.0; }
    void setSourceUnit(const SourceUnit* unit) { sourceUnit_ = unit; }

  private:
    static ParallelRcModel makeLcrDevice(const SimOptions& options, const Cryostat& cryostat);

    SimClock clock_;
    NoiseSource noise_;
    Cryostat cryostat_;  // before the I-V sample, which may follow its temperature
    std::unique_ptr<IvSample> ivSample_;
    ParallelRcModel lcrDevice_;
    const SourceUnit* sourceUnit_ = nullptr;
    bool currentThroughSample_ = false;
};

}  // namespace tarvix::sim
