// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include "iv/IvHost.h"
#include "iv/SweepPlan.h"
#include "status/Progress.h"

namespace tarvix::iv {

// Counts the points of an I-V run for the status line: segment k of the K enabled ones,
// repeat r of R, point i of the N of a segment. Without a plan (the manual regime) only the
// points are counted.
class SweepProgress {
  public:
    void start(const SweepPlan& plan, const IvHost& host);
    void setRepetition(int repetition) { repetition_ = repetition; }
    status::Progress point(int segment, int point, double level) const;

  private:
    std::array<int, 9> ordinal_{};  // segment -> k among the enabled ones
    int segmentCount_ = 0;
    int repeatCount_ = 0;
    int pointsPerSegment_ = 0;
    int repetition_ = 1;
};

}  // namespace tarvix::iv
