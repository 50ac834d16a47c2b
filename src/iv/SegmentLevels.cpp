// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/SegmentLevels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tarvix::iv {

// A negative count steps the same way as its size: the direction is that of the span.
SegmentLevels::SegmentLevels(double start, double end, int stepCount)
    : origin_(start),
      end_(end),
      span_(end - start),
      steps_(std::llabs(static_cast<long long>(stepCount))) {
    step_ = span_ / static_cast<double>(steps_);
}

double SegmentLevels::next() {
    ++index_;
    if (index_ >= steps_) {
        return end_;
    }
    if (fromStart_) {
        return origin_ + static_cast<double>(index_) * span_ / static_cast<double>(steps_);
    }
    return origin_ + static_cast<double>(index_) * step_;
}

void SegmentLevels::restartFrom(double level) {
    origin_ = level;
    index_ = 0;
    fromStart_ = false;
    if (step_ == 0) {
        steps_ = 0;
        return;
    }
    // Whole steps left to b; a level already at or past b goes straight to b. The small
    // allowance keeps a remainder of a rounding error from counting as one more step.
    const double remaining = (end_ - level) / step_;
    constexpr double kManySteps = 1e12;
    steps_ = remaining <= 0
                 ? 0
                 : static_cast<long long>(std::ceil(std::min(remaining, kManySteps) - 1e-9));
}

}  // namespace tarvix::iv
