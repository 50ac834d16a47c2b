// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Cryostat.h"

#include <algorithm>
#include <cmath>

namespace tarvix::sim {

Cryostat::Cryostat(TemperatureProgram program, SimClock clock)
    : program_(program), clock_(std::move(clock)), startSeconds_(clock_()) {}

double Cryostat::temperature() const {
    return program_.temperatureAfter(clock_() - startSeconds_);
}

double Cryostat::sampleResistance() const {
    return thermistorResistance(temperature());
}

double Cryostat::thermistorResistance(double kelvin) {
    // Near absolute zero the law runs to infinity; the wiring's insulation caps it.
    const double ohms = kResistanceAt295 * std::exp(kThermistorB * (1.0 / kelvin - 1.0 / 295.0));
    return std::min(ohms, kInsulationOhms);
}

}  // namespace tarvix::sim
