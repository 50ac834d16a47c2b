#pragma once

#include <string>

#include "sim/ScpiInstrument.h"
#include "sim/SimEnvironment.h"

namespace tarvix::sim {

// The 6485 picoammeter, in series with the I-V sample: it reads the current the source unit
// drives through it. READ? answers "+1.040564E-06A,+2.236299E+02,+0.000000E+00" (reading
// with its unit, time stamp, status). *RST leaves the zero check on, which reads ~0.
class Picoammeter6485 : public ScpiInstrument {
  public:
    explicit Picoammeter6485(SimEnvironment& environment);

    std::string identification() const override;
    bool zeroCheck() const { return zeroCheck_; }

  protected:
    void reset() override;

  private:
    double measure();
    std::string readingText(double amps) const;

    SimEnvironment& environment_;
    bool zeroCheck_ = true;
    bool autoRange_ = true;
    double range_ = 2e-2;
    double nplc_ = 6.0;
    double resetSeconds_ = 0.0;
};

}  // namespace tarvix::sim
