// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/PooleFrenkelSample.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarvix::sim {

namespace {

constexpr double kElementaryCharge = 1.602176634e-19;     // C
constexpr double kBoltzmann = 1.380649e-23;               // J/K
constexpr double kVacuumPermittivity = 8.8541878128e-12;  // F/m

}  // namespace

double PooleFrenkelSample::beta(double kelvin) const {
    const Parameters& p = parameters_;
    const double thermalVoltage = kBoltzmann * kelvin / kElementaryCharge;
    return std::sqrt(kElementaryCharge / (std::numbers::pi * kVacuumPermittivity *
                                          p.relativePermittivity * p.thicknessM)) /
           thermalVoltage;
}

double PooleFrenkelSample::current(double volts) const {
    return current(volts, kelvin_ ? kelvin_() : parameters_.temperatureK);
}

// Near absolute zero the activation underflows while the lowered barrier's growth
// overflows; their product is then taken in logarithms, and a current no bench could carry
// is held at kMaxAmps so that every reading stays a number.
double PooleFrenkelSample::current(double volts, double kelvin) const {
    const Parameters& p = parameters_;
    const double ohmic = volts / p.ohmicResistance;
    const double logActivation =
        -p.trapDepthEv / kBoltzmannEv * (1.0 / kelvin - 1.0 / p.temperatureK);
    const double lowering = beta(kelvin) * std::sqrt(std::abs(volts));
    // expm1 keeps the emission term exact near 0 V, where it vanishes as |V|^1.5.
    const double growth = std::expm1(lowering);
    const double activated = std::isfinite(growth) ? std::exp(logActivation) * growth
                                                   : std::exp(logActivation + lowering);
    const double emission = p.emissionScale * volts * activated;
    return std::clamp(ohmic + emission, -kMaxAmps, kMaxAmps);
}

}  // namespace tarvix::sim
