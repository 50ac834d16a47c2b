// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/ThermocoupleConversion.h"

#include <cmath>

namespace tarvix::thermo {

double thermocoupleTemperature(double thermocoupleVolts, double referenceKelvin) {
    using namespace thermocouple;
    const double discriminant = b * b - 4.0 * a * (d * referenceKelvin + c - thermocoupleVolts);
    if (discriminant < 0) {
        return -1.0;
    }
    // A NaN discriminant falls through and stays NaN.
    return (std::sqrt(discriminant) - b) / (2.0 * a);
}

}  // namespace tarvix::thermo
