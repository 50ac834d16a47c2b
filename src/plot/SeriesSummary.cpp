// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/SeriesSummary.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace tarvix::plot {

namespace {

bool shownOnLog(float value, bool magnitude) {
    return magnitude ? (value != 0.0f && !std::isnan(value)) : value > 0.0f;
}

PointChunk chunkOf(const PlotSegment& segment, int first, int count, bool xMagnitude,
                   bool yMagnitude, int& xHidden, int& yHidden) {
    PointChunk chunk;
    chunk.first = first;
    chunk.count = count;
    for (int p = first; p < first + count; ++p) {
        const float x = segment.x[p];
        const float y = segment.y[p];
        if (std::isnan(x) || std::isnan(y)) {
            continue;
        }
        chunk.x.take(x, xMagnitude);
        chunk.y.take(y, yMagnitude);
        xHidden += shownOnLog(x, xMagnitude) ? 0 : 1;
        yHidden += shownOnLog(y, yMagnitude) ? 0 : 1;
    }
    chunk.x.finish();
    chunk.y.finish();
    return chunk;
}

SegmentSummary summaryOf(const PlotSegment& segment, bool xMagnitude, bool yMagnitude) {
    SegmentSummary summary;
    const int chunkCount =
        (segment.count + SegmentSummary::kChunkPoints - 1) / SegmentSummary::kChunkPoints;
    summary.chunks.reserve(static_cast<std::size_t>(chunkCount));
    for (int first = 0; first < segment.count; first += SegmentSummary::kChunkPoints) {
        const int count = std::min(SegmentSummary::kChunkPoints, segment.count - first);
        summary.chunks.push_back(chunkOf(segment, first, count, xMagnitude, yMagnitude,
                                         summary.xNotShownOnLog, summary.yNotShownOnLog));
    }
    for (std::size_t c = 0; c < summary.chunks.size(); c += SegmentSummary::kChunksPerGroup) {
        PointChunk group;
        group.first = summary.chunks[c].first;
        const std::size_t end =
            std::min(summary.chunks.size(), c + SegmentSummary::kChunksPerGroup);
        for (std::size_t k = c; k < end; ++k) {
            group.x.take(summary.chunks[k].x);
            group.y.take(summary.chunks[k].y);
            group.count += summary.chunks[k].count;
        }
        summary.x.take(group.x);
        summary.y.take(group.y);
        summary.groups.push_back(group);
    }
    return summary;
}

}  // namespace

void ValueBox::take(float value, bool magnitude) {
    low = std::min(low, value);
    high = std::max(high, value);
    if (shownOnLog(value, magnitude)) {
        const float shown = magnitude ? std::fabs(value) : value;
        positiveLow = std::min(positiveLow, shown);
        positiveHigh = std::max(positiveHigh, shown);
    }
}

void ValueBox::take(const ValueBox& other) {
    low = std::min(low, other.low);
    high = std::max(high, other.high);
    positiveLow = std::min(positiveLow, other.positiveLow);
    positiveHigh = std::max(positiveHigh, other.positiveHigh);
    logLow = std::min(logLow, other.logLow);
    logHigh = std::max(logHigh, other.logHigh);
}

void ValueBox::finish() {
    if (positiveLow <= positiveHigh) {
        // One step outwards, so that the rounding to float never narrows the box.
        const float inf = std::numeric_limits<float>::infinity();
        logLow =
            std::nextafter(static_cast<float>(std::log10(static_cast<double>(positiveLow))), -inf);
        logHigh =
            std::nextafter(static_cast<float>(std::log10(static_cast<double>(positiveHigh))), inf);
    }
}

bool ValueBox::coordinates(const AxisMap& axis, double& from, double& to) const {
    if (empty(axis.log())) {
        return false;
    }
    if (axis.log()) {
        from = logLow;
        to = logHigh;
    } else {
        from = low;
        to = high;
    }
    return true;
}

SeriesSummary SeriesSummary::of(const PlotSeries& series, bool xMagnitude, bool yMagnitude) {
    SeriesSummary summary;
    for (const PlotSegment& segment : series.segments) {
        summary.segments.push_back(summaryOf(segment, xMagnitude, yMagnitude));
        const SegmentSummary& added = summary.segments.back();
        summary.x.take(added.x);
        summary.y.take(added.y);
        summary.xNotShownOnLog += added.xNotShownOnLog;
        summary.yNotShownOnLog += added.yNotShownOnLog;
    }
    return summary;
}

std::vector<const SeriesSummary*> SummaryCache::summaries(const std::vector<PlotSeries>& series) {
    std::vector<const SeriesSummary*> found;
    std::set<Key> present;
    for (const PlotSeries& one : series) {
        const Key key{one.key, one.live};
        present.insert(key);
        auto it = entries_.find(key);
        if (it == entries_.end() || it->second.revision != one.revision) {
            it = entries_
                     .insert_or_assign(
                         key, Entry{one.revision, SeriesSummary::of(one, xMagnitude_, yMagnitude_)})
                     .first;
        }
        found.push_back(&it->second.summary);
    }
    std::erase_if(entries_, [&](const auto& entry) { return !present.contains(entry.first); });
    return found;
}

}  // namespace tarvix::plot
