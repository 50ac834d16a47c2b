// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/AxisTicks.h"

#include <algorithm>
#include <cmath>

#include "plot/SiText.h"

namespace tarvix::plot {

namespace {

constexpr int kMostTicks = 10;
constexpr double kEdgeTolerance = 1e-9;  // of a step: a tick on the very end still counts

int ticksWithin(double low, double high, double step) {
    const double first = std::ceil(low / step - kEdgeTolerance);
    const double last = std::floor(high / step + kEdgeTolerance);
    return static_cast<int>(last - first) + 1;
}

// Multiples of `step` within [low, high], each computed from its index so that no error
// builds up, and a value within rounding of 0 set to exactly 0.
std::vector<double> multiplesWithin(double low, double high, double step) {
    std::vector<double> values;
    const double first = std::ceil(low / step - kEdgeTolerance);
    const double last = std::floor(high / step + kEdgeTolerance);
    for (double k = first; k <= last; k += 1.0) {
        const double value = k * step;
        values.push_back(std::fabs(value) < step * kEdgeTolerance ? 0.0 : value);
    }
    return values;
}

std::vector<AxisTick> linearTicks(const AxisRange& range, const Quantity& quantity) {
    const double step = linearTickStep(range.low, range.high);
    const std::vector<double> values = multiplesWithin(range.low, range.high, step);
    double largest = 0.0;
    for (const double value : values) {
        largest = std::max(largest, std::fabs(value));
    }
    const int exponent = quantity.siPrefixes ? siExponent(largest) : 0;
    // Enough decimals for the step under the prefix: 0.5 µA needs one.
    const double scaledStep = step / std::pow(10.0, exponent);
    const int decimals =
        std::max(0, static_cast<int>(std::ceil(-std::log10(scaledStep) - kEdgeTolerance)));
    std::vector<AxisTick> ticks;
    for (const double value : values) {
        ticks.push_back({value, siTickText(value, exponent, decimals, quantity.unit)});
    }
    return ticks;
}

std::vector<AxisTick> decadeTicks(int firstDecade, int lastDecade) {
    const int decades = lastDecade - firstDecade + 1;
    int every = 1;
    for (const int candidate : {1, 2, 3, 5, 10, 20, 50, 100}) {
        every = candidate;
        if ((decades + candidate - 1) / candidate <= kMostTicks) {
            break;
        }
    }
    std::vector<AxisTick> ticks;
    for (int decade = firstDecade; decade <= lastDecade; ++decade) {
        if (decade % every == 0) {
            ticks.push_back({std::pow(10.0, decade), decadeText(decade)});
        }
        // Between few decades the 2..9 show where the values lie.
        if (every == 1 && decades <= 6 && decade < lastDecade) {
            for (int factor = 2; factor <= 9; ++factor) {
                ticks.push_back({factor * std::pow(10.0, decade), QString()});
            }
        }
    }
    return ticks;
}

std::vector<AxisTick> logTicks(const AxisRange& range, const Quantity& quantity) {
    const double lowLog = std::log10(range.low);
    const double highLog = std::log10(range.high);
    const int firstDecade = static_cast<int>(std::ceil(lowLog - kEdgeTolerance));
    const int lastDecade = static_cast<int>(std::floor(highLog + kEdgeTolerance));
    if (lastDecade > firstDecade) {
        std::vector<AxisTick> ticks = decadeTicks(firstDecade, lastDecade);
        // Minor ticks of the partial decades at the ends.
        for (const int factor : {2, 3, 4, 5, 6, 7, 8, 9}) {
            const double below = factor * std::pow(10.0, firstDecade - 1);
            const double above = factor * std::pow(10.0, lastDecade);
            if (below >= range.low && lastDecade - firstDecade < 6) {
                ticks.push_back({below, QString()});
            }
            if (above <= range.high && lastDecade - firstDecade < 6) {
                ticks.push_back({above, QString()});
            }
        }
        return ticks;
    }
    std::vector<AxisTick> ticks;
    for (int decade = firstDecade - 1; decade <= lastDecade; ++decade) {
        for (const int factor : {1, 2, 5}) {
            const double value = factor * std::pow(10.0, decade);
            if (value >= range.low * (1 - kEdgeTolerance) &&
                value <= range.high * (1 + kEdgeTolerance)) {
                ticks.push_back({value, siShortText(value, quantity.unit)});
            }
        }
    }
    if (ticks.size() >= 2) {
        return ticks;
    }
    return linearTicks({range.low, range.high, false}, quantity);
}

}  // namespace

double linearTickStep(double low, double high) {
    const double span = high - low;
    if (!(span > 0.0) || !std::isfinite(span)) {
        return 1.0;
    }
    // From a step that gives far too many ticks upwards: the first that gives at most ten.
    // A 1-2-5 step is at most 2.5 times the one before, which gave more than ten, so this one
    // gives at least four.
    double decade = std::pow(10.0, std::floor(std::log10(span / kMostTicks)) - 1.0);
    for (int guard = 0; guard < 12; ++guard, decade *= 10.0) {
        for (const double factor : {1.0, 2.0, 5.0}) {
            const double step = factor * decade;
            if (ticksWithin(low, high, step) <= kMostTicks) {
                return step;
            }
        }
    }
    return span;
}

std::vector<AxisTick> axisTicks(const AxisRange& range, const Quantity& quantity) {
    if (!range.usable()) {
        return {};
    }
    return range.log ? logTicks(range, quantity) : linearTicks(range, quantity);
}

}  // namespace tarvix::plot
