#pragma once

#include <vector>

#include "mirror/MeasurementRows.h"

namespace tarvix::mirror {

// What to send of a measurement's points: the points after `after` in `segment` (0: every
// segment), the server's copy of them dropped first when `dropFirst`.
struct PointStep {
    int segment = 0;
    int after = 0;
    bool dropFirst = false;
    bool operator==(const PointStep&) const = default;
};

// A segment that only grew (as many new points as new indexes) sends its new points; one
// that shrank or was measured again is sent whole in place of the server's copy. With
// `resendAll` (a measurement that just ended) everything is sent once more, which also
// carries any point rewritten under an index already sent.
std::vector<PointStep> planPoints(const SegmentCounts& local, const SegmentCounts& sent,
                                  bool resendAll);

}  // namespace tarvix::mirror
