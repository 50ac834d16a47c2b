// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "plot/PlotAxis.h"
#include "plot/PlotSeries.h"

namespace tarvix::plot {

// The extent of some values of one axis: all of them (linear) and those a log axis shows
// (above 0, or of non-zero magnitude for a quantity shown as its magnitude). Empty parts
// have low > high. NaN values are left out of both.
struct ValueBox {
    float low = std::numeric_limits<float>::infinity();
    float high = -std::numeric_limits<float>::infinity();
    float positiveLow = std::numeric_limits<float>::infinity();
    float positiveHigh = -std::numeric_limits<float>::infinity();
    // log10 of the two above, once finished: the search for the nearest point compares many
    // boxes on a log axis and takes no logarithm for them.
    float logLow = std::numeric_limits<float>::infinity();
    float logHigh = -std::numeric_limits<float>::infinity();

    void take(float value, bool magnitude);
    // Takes a finished box.
    void take(const ValueBox& other);
    // After the last value: the logarithms of the shown extent.
    void finish();
    bool empty(bool log) const { return log ? !(positiveLow <= positiveHigh) : !(low <= high); }
    // The box as the axis' coordinates (log10 on a log axis); false when empty there.
    bool coordinates(const AxisMap& axis, double& from, double& to) const;
};

// A few consecutive points of a segment and their extent.
struct PointChunk {
    int first = 0;  // index of the first point
    int count = 0;
    ValueBox x;
    ValueBox y;
};

// What a segment holds, in chunks of kChunkPoints points grouped kChunksPerGroup at a time,
// so that a search for the nearest point or a crossing looks only where it can succeed.
struct SegmentSummary {
    static constexpr int kChunkPoints = 64;
    static constexpr int kChunksPerGroup = 16;

    std::vector<PointChunk> chunks;
    std::vector<PointChunk> groups;
    ValueBox x;
    ValueBox y;
    int xNotShownOnLog = 0;  // points a log axis cannot show (<= 0)
    int yNotShownOnLog = 0;
};

// The summaries of one series' segments, in the series' order.
struct SeriesSummary {
    std::vector<SegmentSummary> segments;
    ValueBox x;
    ValueBox y;
    int xNotShownOnLog = 0;
    int yNotShownOnLog = 0;

    static SeriesSummary of(const PlotSeries& series, bool xMagnitude, bool yMagnitude);
};

// Summaries kept from one look to the next: a series is summed up again only when its
// revision moved.
class SummaryCache {
  public:
    SummaryCache(bool xMagnitude, bool yMagnitude)
        : xMagnitude_(xMagnitude), yMagnitude_(yMagnitude) {}
    // One summary per series, in their order; the pointers live until the next call.
    std::vector<const SeriesSummary*> summaries(const std::vector<PlotSeries>& series);

  private:
    using Key = std::pair<int, bool>;  // key, live
    struct Entry {
        std::uint64_t revision = 0;
        SeriesSummary summary;
    };
    bool xMagnitude_;
    bool yMagnitude_;
    std::map<Key, Entry> entries_;
};

}  // namespace tarvix::plot
