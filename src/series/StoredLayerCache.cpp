#include "series/StoredLayerCache.h"

#include "series/IvChartPlotter.h"

namespace tarvix::series {

bool StoredLayerCache::Key::operator==(const Key& other) const {
    return revision == other.revision && seriesCount == other.seriesCount && width == other.width &&
           height == other.height && sameRanges(ranges, other.ranges) &&
           logScale == other.logScale && joinPoints == other.joinPoints;
}

bool StoredLayerCache::update(const SeriesStore& store, const IvChartGeometry& geometry,
                              bool joinPoints) {
    const Key key{store.storedRevision(), store.seriesCount,   geometry.width(), geometry.height(),
                  geometry.ranges(),      geometry.logScale(), joinPoints};
    if (valid_ && key == key_) {
        return false;
    }
    if (layer_.size() != QSize(key.width, key.height)) {
        layer_ = QImage(key.width, key.height, QImage::Format_ARGB32);
    }
    layer_.fill(Qt::transparent);
    IvChartPlotter plotter(layer_, geometry, joinPoints);
    plotter.drawStoredSeries(
        store, [](int, int) {}, [](int, QPoint) {});
    key_ = key;
    valid_ = true;
    ++generation_;
    ++builds_;
    return true;
}

void StoredLayerCache::refreshNonEmptySegments(const SeriesStore& store) {
    if (segmentsValid_ && segmentsRevision_ == store.storedRevision() &&
        segmentsSeriesCount_ == store.seriesCount) {
        return;
    }
    nonEmptySegments_.clear();
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    for (int series = 1; series <= lastSeries; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            if (IvChartPlotter::pointCount(store.storedCurrent(segment, series)) >= 1) {
                nonEmptySegments_.emplace_back(series, segment);
            }
        }
    }
    segmentsRevision_ = store.storedRevision();
    segmentsSeriesCount_ = store.seriesCount;
    segmentsValid_ = true;
}

std::optional<QString> StoredLayerCache::lastSegmentLabel(const SeriesStore& store) {
    refreshNonEmptySegments(store);
    for (auto it = nonEmptySegments_.rbegin(); it != nonEmptySegments_.rend(); ++it) {
        const QString& label = store.segmentLabel(it->second, it->first);
        if (!label.isEmpty()) {
            return label;
        }
    }
    return std::nullopt;
}

}  // namespace tarvix::series
