// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/SimClock.h"
#include "sim/SimOptions.h"

namespace tarvix::sim {

// The cryostat of the four-probe bench: its temperature follows the program from the moment
// the bench was built, and the sample mounted in it is a thermistor,
// R(T) = R295 · exp(B · (1/T − 1/295 K)): 20 kOhm at 295 K (60 mV at 3 uA), about 5.6 kOhm
// at 120 °C, megohms near liquid nitrogen.
class Cryostat {
  public:
    Cryostat(TemperatureProgram program, SimClock clock);

    double temperature() const;       // kelvin, now
    double sampleResistance() const;  // ohm, now
    static double thermistorResistance(double kelvin);

    // The cold junction and the reference sensor sit on a block at room temperature.
    static constexpr double kReferenceKelvin = 295.0;
    static constexpr double kResistanceAt295 = 20e3;
    static constexpr double kThermistorB = 1500.0;
    static constexpr double kInsulationOhms = 1e15;

  private:
    TemperatureProgram program_;
    SimClock clock_;
    double startSeconds_;
};

}  // namespace tarvix::sim
