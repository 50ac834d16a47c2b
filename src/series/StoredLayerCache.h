#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "series/IvChartGeometry.h"
#include "series/SeriesStore.h"

namespace tarvix::series {

// The stored series of the I-V chart drawn once into a transparent layer: a pixel is opaque,
// with its final colour, where a stored point or joining line set it. The layer is drawn
// again only when the store (its revision or seriesCount) or anything that moves the points
// (size, ranges, scale, joining) changes, so a redraw costs the same however much is stored.
class StoredLayerCache {
  public:
    // Brings the layer up to date; true when it had to be drawn again.
    bool update(const SeriesStore& store, const IvChartGeometry& geometry, bool joinPoints);
    const QImage& layer() const { return layer_; }
    std::uint64_t generation() const { return generation_; }
    int builds() const { return builds_; }
    void invalidate() {
        valid_ = false;
        segmentsValid_ = false;
    }

    // The label of the last non-empty stored segment whose label is not empty, over series
    // 1..seriesCount; what the log-scale chart leaves in Label45.
    std::optional<QString> lastSegmentLabel(const SeriesStore& store);

  private:
    struct Key {
        unsigned revision = 0;
        int seriesCount = 0;
        int width = 0;
        int height = 0;
        IvChartRanges ranges;
        bool logScale = false;
        bool joinPoints = false;
        bool operator==(const Key& other) const;
    };

    void refreshNonEmptySegments(const SeriesStore& store);

    QImage layer_;
    Key key_;
    bool valid_ = false;
    std::uint64_t generation_ = 0;
    int builds_ = 0;

    // (series, segment) of every non-empty stored segment, in drawing order; labels are read
    // fresh each time since they may change without a revision.
    std::vector<std::pair<int, int>> nonEmptySegments_;
    unsigned segmentsRevision_ = 0;
    int segmentsSeriesCount_ = 0;
    bool segmentsValid_ = false;
};

}  // namespace tarvix::series
