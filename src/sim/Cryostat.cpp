#include "sim/Cryostat.h"

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
    return kResistanceAt295 * std::exp(kThermistorB * (1.0 / kelvin - 1.0 / 295.0));
}

}  // namespace tarvix::sim
