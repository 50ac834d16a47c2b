// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::lcr {

// A value written as mantissa x 10^exponent for the chart labels.
struct DecadeSplit {
    QString mantissa;
    int exponent = 0;
};

// The exponent is the e in -20..20 with 1 <= |value / 10^e| < 10 (0 when there is none, or
// for 0); the mantissa is value / 10^e in the fixed form of `width` and `decimals`.
DecadeSplit splitDecade(double value, int width, int decimals);

// value x 10^exponent, dividing by an exact power of ten for negative exponents.
double scaleByDecade(double value, int exponent);

// The value as its split shows it: 1234567 becomes 1235000 with 3 decimals.
double tidyToDecade(double value, int width, int decimals);

}  // namespace tarvix::lcr
