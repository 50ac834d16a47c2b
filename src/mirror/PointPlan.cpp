#include "mirror/PointPlan.h"

#include <set>

namespace tarvix::mirror {

std::vector<PointStep> planPoints(const SegmentCounts& local, const SegmentCounts& sent,
                                  bool resendAll) {
    if (resendAll) {
        if (local.empty() && sent.empty()) {
            return {};
        }
        return {PointStep{0, 0, true}};
    }
    std::set<int> segments;
    for (const auto& counts : {local, sent}) {
        for (const auto& [segment, count] : counts) {
            segments.insert(segment);
        }
    }
    std::vector<PointStep> steps;
    for (const int segment : segments) {
        const auto here = local.find(segment);
        const auto there = sent.find(segment);
        const SegmentCount now = here == local.end() ? SegmentCount{} : here->second;
        const SegmentCount before = there == sent.end() ? SegmentCount{} : there->second;
        if (now == before) {
            continue;
        }
        const bool grew =
            now.idx > before.idx && now.points - before.points == now.idx - before.idx;
        steps.push_back(grew ? PointStep{segment, before.idx, false} : PointStep{segment, 0, true});
    }
    return steps;
}

}  // namespace tarvix::mirror
