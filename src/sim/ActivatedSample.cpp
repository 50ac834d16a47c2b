// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ActivatedSample.h"

#include <cmath>

namespace tarvix::sim {

double ActivatedSample::current(double volts) const {
    return current(values_, volts, kelvin_());
}

double ActivatedSample::current(const ActivatedValues& values, double volts, double kelvin) {
    return volts / values.ohmsAtInfinity * std::exp(-values.activationEv / (kBoltzmannEv * kelvin));
}

}  // namespace tarvix::sim
