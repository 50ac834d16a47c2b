// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "mirror/MeasurementRows.h"

namespace tarvix::mirror {

// What to send of a measurement's points: those of `segment` after index `after` up to
// `upTo` (points measured while the round runs wait for the next one), the server's copy of
// the segment dropped first when `dropFirst`.
struct PointStep {
    int segment = 0;
    int after = 0;
    int upTo = 0;
    bool dropFirst = false;
    bool operator==(const PointStep&) const = default;
};

// A segment that only grew (as many new points as new indexes, from the same first point)
// sends its new points; one that shrank or was measured again is sent whole in place of the
// server's copy. Every point thus goes over once unless its segment is measured again.
std::vector<PointStep> planPoints(const SegmentCounts& local, const SegmentCounts& sent);

// A slow measurement goes over a few points a round, each round a block of its own. Once it
// ended, a segment whose blocks hold fewer than `kCompactBelow` points on average is sent
// whole once more in place of them, in full blocks; `blocks` counts those sent per segment.
inline constexpr qint64 kCompactBelow = 25;
std::vector<PointStep> compactPoints(std::vector<PointStep> steps, const SegmentCounts& local,
                                     const std::map<int, qint64>& blocks);

}  // namespace tarvix::mirror
