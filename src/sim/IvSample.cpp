// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/IvSample.h"

#include <cmath>

namespace tarvix::sim {

double IvSample::voltageFor(double amps) const {
    const double target = std::abs(amps);
    if (target == 0.0 || !std::isfinite(target)) {
        return 0.0;
    }
    double low = 0.0;
    double high = 1.0;
    while (current(high) < target && high < 1e12) {
        high *= 2.0;
    }
    // Bisection: the sample is monotonic, and 200 halvings reach double precision.
    for (int i = 0; i < 200 && high - low > high * 1e-15; ++i) {
        const double middle = 0.5 * (low + high);
        (current(middle) < target ? low : high) = middle;
    }
    return std::copysign(0.5 * (low + high), amps);
}

double IvSample::ohmmeterResistance() const {
    return kOhmmeterTestVolts / current(kOhmmeterTestVolts);
}

}  // namespace tarvix::sim
