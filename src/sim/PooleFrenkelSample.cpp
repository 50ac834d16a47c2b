#include "sim/PooleFrenkelSample.h"

#include <cmath>
#include <numbers>

namespace tarvix::sim {

namespace {

constexpr double kElementaryCharge = 1.602176634e-19;     // C
constexpr double kBoltzmann = 1.380649e-23;               // J/K
constexpr double kVacuumPermittivity = 8.8541878128e-12;  // F/m

}  // namespace

double PooleFrenkelSample::beta() const {
    const Parameters& p = parameters_;
    const double thermalVoltage = kBoltzmann * p.temperatureK / kElementaryCharge;
    return std::sqrt(kElementaryCharge / (std::numbers::pi * kVacuumPermittivity *
                                          p.relativePermittivity * p.thicknessM)) /
           thermalVoltage;
}

double PooleFrenkelSample::current(double volts) const {
    const double ohmic = volts / parameters_.ohmicResistance;
    // expm1 keeps the emission term exact near 0 V, where it vanishes as |V|^1.5.
    const double emission =
        parameters_.emissionScale * volts * std::expm1(beta() * std::sqrt(std::abs(volts)));
    return ohmic + emission;
}

}  // namespace tarvix::sim
