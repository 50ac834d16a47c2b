#include "sim/PooleFrenkelSample.h"

#include <cmath>

namespace tarvix::sim {

double PooleFrenkelSample::current(double volts) const {
    const double ohmic = volts / parameters_.ohmicResistance;
    // expm1 keeps the emission term exact near 0 V, where it vanishes as |V|^1.5.
    const double emission = parameters_.emissionScale * volts *
                            std::expm1(parameters_.beta * std::sqrt(std::abs(volts)));
    return ohmic + emission;
}

}  // namespace tarvix::sim
