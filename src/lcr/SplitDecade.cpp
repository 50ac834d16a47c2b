// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/SplitDecade.h"

#include <cmath>
#include <cstdlib>

#include "text/DecimalParse.h"
#include "text/NumberText.h"

namespace tarvix::lcr {

namespace {
constexpr int kLowestExponent = -20;
constexpr int kHighestExponent = 20;
}  // namespace

double scaleByDecade(double value, int exponent) {
    // Powers of ten up to 1e22 are exact doubles, so each scaling rounds only once.
    const double power = std::pow(10.0, std::abs(exponent));
    return exponent >= 0 ? value * power : value / power;
}

DecadeSplit splitDecade(double value, int width, int decimals) {
    DecadeSplit split;
    for (int e = kLowestExponent; e <= kHighestExponent; ++e) {
        const double magnitude = std::fabs(scaleByDecade(value, -e));
        if (magnitude >= 1 && magnitude < 10) {
            split.exponent = e;
            break;
        }
    }
    split.mantissa = text::fixedText(scaleByDecade(value, -split.exponent), width, decimals);
    return split;
}

double tidyToDecade(double value, int width, int decimals) {
    const DecadeSplit split = splitDecade(value, width, decimals);
    const std::optional<double> mantissa = text::parseDecimal(split.mantissa);
    return mantissa ? scaleByDecade(*mantissa, split.exponent) : value;
}

}  // namespace tarvix::lcr
