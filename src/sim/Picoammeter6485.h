// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <memory>
#include <string>

#include "sim/ScpiAcquisition.h"
#include "sim/ScpiInstrument.h"
#include "sim/SimEnvironment.h"

namespace tarvix::sim {

// The 6485 picoammeter, in series with the I-V sample: it reads the current the source unit
// drives through it. READ? answers "+1.040564E-06A,+2.236299E+02,+0.000000E+00" (reading
// with its unit, time stamp, status: the elements FORMat:ELEMents chooses). *RST leaves the
// zero check on, which reads ~0.
class Picoammeter6485 : public ScpiInstrument {
  public:
    explicit Picoammeter6485(SimEnvironment& environment);

    std::string identification() const override;
    void trigger() override { acquisition_->trigger(); }
    bool zeroCheck() const { return zeroCheck_; }

  protected:
    void reset() override;

  private:
    enum Element { kRead, kUnit, kTime, kStat, kElementCount };

    void addRangeCommands();
    void addSettings();
    void addConfigureCommands();
    double measure();
    std::string readingText(const ScpiAcquisition::Reading& record) const;

    SimEnvironment& environment_;
    bool zeroCheck_ = true;
    bool autoRange_ = true;
    double range_ = 2e-2;
    double nplc_ = 6.0;
    std::array<bool, kElementCount> elements_{};
    double resetSeconds_ = 0.0;
    std::unique_ptr<ScpiAcquisition> acquisition_;
};

}  // namespace tarvix::sim
