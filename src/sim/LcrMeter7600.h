// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "sim/ScpiInstrument.h"
#include "sim/SimEnvironment.h"

namespace tarvix::sim {

// The 7600 LCR meter. "MEAS:" measures the device on its terminals at the configured
// frequency; "FETC?" answers the last measurement as tab-separated fields: primary code,
// value, unit, then (unless the secondary is N) secondary code, value, unit, and a closing
// run of three tabs: "RP\t2.00000E+04\tOhm\t\t\t". In slow mode MEAS: also reports each of
// its three passes.
class LcrMeter7600 : public ScpiInstrument {
  public:
    explicit LcrMeter7600(SimEnvironment& environment);

    std::string identification() const override;
    double frequency() const { return frequency_; }

  protected:
    void reset() override;

  private:
    enum Speed { kFast, kMedium, kSlow };

    void addConfigureCommands();
    void addNumber(const char* pattern, double* value, double min, double max, int decimals);
    std::string measurement();

    SimEnvironment& environment_;
    double frequency_ = 1000.0;
    std::string primary_ = "A";
    std::string secondary_ = "N";
    int speed_ = kMedium;
    double average_ = 1.0;
    int bias_ = 0;
    double triggerDelay_ = 0.0;
    double acVolts_ = 1.0;
    std::string lastMeasurement_;
};

}  // namespace tarvix::sim
