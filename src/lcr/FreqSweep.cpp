// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/FreqSweep.h"

#include <cmath>
#include <numbers>

namespace tarvix::lcr {

void FreqSweep::resetExtremes() {
    primaryMin = kExtremeStart;
    primaryMax = -kExtremeStart;
    secondaryMin = kExtremeStart;
    secondaryMax = -kExtremeStart;
}

void FreqSweep::widenExtremes(int i) {
    const double primary = sweepPrimary[static_cast<size_t>(i)];
    const double secondary = sweepSecondary[static_cast<size_t>(i)];
    if (primary < primaryMin) {
        primaryMin = primary;
    }
    if (primary > primaryMax) {
        primaryMax = primary;
    }
    if (secondary < secondaryMin) {
        secondaryMin = secondary;
    }
    if (secondary > secondaryMax) {
        secondaryMax = secondary;
    }
}

double gridFrequency(int i, int count, double fmin, double fmax, bool logGrid) {
    if (logGrid) {
        const double logStep = (std::log10(fmax) - std::log10(fmin)) / (count - 1);
        return std::pow(10.0, std::log10(fmin) + (i - 1) * logStep);
    }
    const double linStep = (fmax - fmin) / (count - 1);
    return fmin + (i - 1) * linStep;
}

void loadTestCurve(FreqSweep& sweep, bool logGrid) {
    constexpr int kCount = 1000;
    constexpr double kPi = std::numbers::pi;
    sweep.sweepCount = kCount;
    sweep.Fmin = 10;
    sweep.Fmax = 1000;
    sweep.primaryMin = -1e-9;
    sweep.primaryMax = 2e-9;
    sweep.secondaryMin = -1e-10;
    sweep.secondaryMax = 2e-10;
    for (int i = 1; i <= kCount; ++i) {
        const auto at = static_cast<size_t>(i);
        const double f = gridFrequency(i, kCount, sweep.Fmin, sweep.Fmax, logGrid);
        sweep.sweepFreq[at] = f;
        sweep.sweepPrimary[at] = 1.6333e-6 * std::cos(2 * kPi * f / 100);
        sweep.sweepSecondary[at] =
            10.45 * std::sin(2 * kPi * f / 100) * std::sin(5 * kPi * f / 100);
        sweep.widenExtremes(i);
    }
}

}  // namespace tarvix::lcr
