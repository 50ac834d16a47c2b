// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/SweepProgress.h"

#include <algorithm>

namespace tarvix::iv {

void SweepProgress::start(const SweepPlan& plan, const IvHost& host) {
    segmentCount_ = 0;
    for (int segment = 1; segment <= 8; ++segment) {
        ordinal_[static_cast<size_t>(segment)] = host.segmentEnabled(segment) ? ++segmentCount_ : 0;
    }
    repeatCount_ = plan.repeatCount;
    // A segment of n steps measures its start and every step up to its end.
    pointsPerSegment_ = plan.stepCount + 1;
    repetition_ = 1;
}

status::Progress SweepProgress::point(int segment, int point, double level) const {
    status::Progress progress;
    progress.reading = QStringLiteral("%1 V").arg(level, 0, 'g', 4);
    const int k = segmentCount_ > 0 ? ordinal_[static_cast<size_t>(segment)] : 0;
    if (k == 0) {
        progress.stage = QStringLiteral("Manual voltage");
        progress.counters = {{QStringLiteral("point"), point, 0}};
        progress.done = point;
        return progress;
    }
    const int n = pointsPerSegment_;
    progress.stage = QStringLiteral("Voltage sweep");
    progress.counters = {{QStringLiteral("segment"), k, segmentCount_},
                         {QStringLiteral("repeat"), repetition_, repeatCount_},
                         {QStringLiteral("point"), point, n}};
    progress.total = repeatCount_ * segmentCount_ * n;
    progress.done = ((repetition_ - 1) * segmentCount_ + k - 1) * n + std::min(point, n);
    return progress;
}

}  // namespace tarvix::iv
