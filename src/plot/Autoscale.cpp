// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/Autoscale.h"

#include <algorithm>
#include <cmath>

#include "plot/AxisTicks.h"

namespace tarvix::plot {

namespace {

constexpr double kPadding = 0.03;  // of the span, on each side
// Values stored as floats lie a hair off their decade: 1e-3f is 1.00000005e-3.
constexpr double kDecadeTolerance = 1e-6;

AxisRange linearRange(const ValueBox& box) {
    if (box.empty(false)) {
        return {-1.0, 1.0, false};
    }
    double low = box.low;
    double high = box.high;
    if (low == high) {
        const double half = low != 0.0 ? std::fabs(low) * 0.1 : 1.0;
        return {low - half, high + half, false};
    }
    const double pad = (high - low) * kPadding;
    low -= pad;
    high += pad;
    const double grid = linearTickStep(low, high) / 5.0;
    return {std::floor(low / grid) * grid, std::ceil(high / grid) * grid, false};
}

// A little wider than the values, its ends on tenths of a decade; whole decades when that
// would leave fewer than two decades to label.
AxisRange logRange(const ValueBox& box) {
    if (box.empty(true)) {
        return {1e-12, 1.0, true};
    }
    const double low = std::log10(static_cast<double>(box.positiveLow));
    const double high = std::log10(static_cast<double>(box.positiveHigh));
    const double pad = std::max(high - low, 0.5) * kPadding;
    double first = std::floor((low - pad) * 10.0 + kDecadeTolerance) / 10.0;
    double last = std::ceil((high + pad) * 10.0 - kDecadeTolerance) / 10.0;
    if (std::floor(last + kDecadeTolerance) - std::ceil(first - kDecadeTolerance) < 1.0) {
        first = std::floor(low + kDecadeTolerance);
        last = std::max(std::ceil(high - kDecadeTolerance), first + 1.0);
    }
    return {std::pow(10.0, first), std::pow(10.0, last), true};
}

}  // namespace

AxisRange autoscaleRange(const ValueBox& box, bool log) {
    return log ? logRange(box) : linearRange(box);
}

}  // namespace tarvix::plot
