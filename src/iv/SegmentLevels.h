// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::iv {

// The levels of one segment from a to b in N steps: level i is a + i (b - a) / N, so the
// segment has N + 1 levels and the last one is b exactly, whatever the rounding of the span.
// When the operator's bar has set the level in the middle of the segment, the steps go on
// from that level by the same step and end on b exactly.
class SegmentLevels {
  public:
    SegmentLevels(double start, double end, int stepCount);

    double step() const { return step_; }
    // The level after the current one (b once the steps reach or pass it).
    double next();
    void restartFrom(double level);

  private:
    double origin_;
    double end_;
    double span_;
    double step_;
    long long steps_;  // from origin_ to end_
    long long index_ = 0;
    bool fromStart_ = true;
};

}  // namespace tarvix::iv
