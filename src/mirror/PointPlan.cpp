// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/PointPlan.h"

#include <set>

#include "mirror/PointBlocks.h"

namespace tarvix::mirror {

std::vector<PointStep> planPoints(const SegmentCounts& local, const SegmentCounts& sent) {
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
        const bool restarted = now.first && before.first && *now.first != *before.first;
        if (now == before && !restarted) {
            continue;
        }
        const bool grew = !restarted && now.idx > before.idx &&
                          now.points - before.points == now.idx - before.idx;
        steps.push_back(grew ? PointStep{segment, before.idx, now.idx, false}
                             : PointStep{segment, 0, now.idx, true});
    }
    return steps;
}

std::vector<PointStep> compactPoints(std::vector<PointStep> steps, const SegmentCounts& local,
                                     const std::map<int, qint64>& blocks) {
    for (const auto& [segment, count] : local) {
        const auto sent = blocks.find(segment);
        if (sent == blocks.end() ||
            sent->second <= (count.points + kPointsPerBlock - 1) / kPointsPerBlock ||
            count.points >= kCompactBelow * sent->second) {
            continue;
        }
        std::erase_if(steps,
                      [key = segment](const PointStep& step) { return step.segment == key; });
        steps.push_back(PointStep{segment, 0, count.idx, true});
    }
    return steps;
}

}  // namespace tarvix::mirror
