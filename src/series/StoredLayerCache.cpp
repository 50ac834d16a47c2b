// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/StoredLayerCache.h"

#include <QHashFunctions>
#include <algorithm>
#include <thread>

#include "series/ChartCanvas.h"
#include "series/IvChartPlotter.h"

namespace tarvix::series {

namespace {

// Below this many points a second thread costs more than it saves.
constexpr long kPointsWorthASecondThread = 400000;
// Qt hashes large blocks quickly only with a seed other than 0.
constexpr std::size_t kFingerprintSeed = 0x9E3779B97F4A7C15ULL;

long storedPoints(const SeriesStore& store, int series) {
    long points = 0;
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        points += IvChartPlotter::pointCount(store.storedCurrent(segment, series));
    }
    return points;
}

}  // namespace

StoredLayerCache::StoredLayerCache() = default;

bool StoredLayerCache::Key::operator==(const Key& other) const {
    return width == other.width && height == other.height && sameRanges(ranges, other.ranges) &&
           logScale == other.logScale && joinPoints == other.joinPoints;
}

std::uint64_t StoredLayerCache::fingerprint(const SeriesStore& store, int series) {
    SeriesSeen& seen = seen_[static_cast<std::size_t>(series)];
    const std::uint64_t revision = store.seriesRevision(series);
    if (seen.revision == revision) {
        return seen.fingerprint;
    }
    std::size_t hash = kFingerprintSeed;
    bool anyPoints = false;
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        const float* current = store.storedCurrent(segment, series);
        const int count = IvChartPlotter::pointCount(current);
        if (count < 1) {
            continue;
        }
        anyPoints = true;
        const auto bytes = static_cast<std::size_t>(count) * sizeof(float);
        hash = qHashMulti(hash, segment, count);
        hash = qHashBits(store.storedVoltage(segment, series) + 1, bytes, hash | 1);
        hash = qHashBits(current + 1, bytes, hash | 1);
    }
    seen = {revision, anyPoints ? (static_cast<std::uint64_t>(hash) | 1) : 0};
    return seen.fingerprint;
}

int StoredLayerCache::firstChangedSeries(const SeriesStore& store, int lastSeries) {
    int first = 0;
    for (int series = 1; series <= SeriesStore::kMaxSeries; ++series) {
        const auto slot = static_cast<std::size_t>(series);
        current_[slot] = series <= lastSeries ? fingerprint(store, series) : 0;
        if (first == 0 && current_[slot] != drawn_[slot]) {
            first = series;
        }
    }
    return first;
}

bool StoredLayerCache::onlyAddedFrom(int series) const {
    return std::all_of(drawn_.begin() + series, drawn_.end(),
                       [](std::uint64_t drawn) { return drawn == 0; });
}

// In log scale a height follows log10 |I| alone: the current limits move no stored point.
StoredLayerCache::Key StoredLayerCache::keyOf(const IvChartGeometry& geometry, bool joinPoints) {
    IvChartRanges ranges = geometry.ranges();
    if (geometry.logScale()) {
        ranges.currentMin = ranges.currentMax = 0;
    }
    return {geometry.width(), geometry.height(), ranges, geometry.logScale(), joinPoints};
}

void StoredLayerCache::watch(const SeriesStore& store) {
    if (store_ != &store) {
        seen_.fill({});  // revisions of another store say nothing about this one
        store_ = &store;
        valid_ = false;
        ahead_.valid = false;
    }
}

// The layer for other ranges and the one drawn ahead change places: going back to the ranges
// drawn before costs nothing either. The layer drawn ahead shows series 1..drawnUpTo as they
// were then; what changed or came since is sorted out by update like any change after a
// drawing. False when the layer drawn ahead is not for `key` (the front layer is then not
// valid).
bool StoredLayerCache::switchLayers(const Key& key) {
    const bool aheadFits = ahead_.valid && ahead_.key == key;
    std::swap(layer_, ahead_.layer);
    std::swap(drawn_, ahead_.drawn);
    std::swap(key_, ahead_.key);
    std::swap(valid_, ahead_.valid);
    const auto lastDrawn = std::find_if(ahead_.drawn.rbegin(), ahead_.drawn.rend(),
                                        [](std::uint64_t drawn) { return drawn != 0; });
    ahead_.drawnUpTo = std::max(static_cast<int>(ahead_.drawn.rend() - lastDrawn) - 1, 0);
    valid_ = aheadFits;
    return aheadFits;
}

bool StoredLayerCache::update(const SeriesStore& store, const IvChartGeometry& geometry,
                              bool joinPoints) {
    const Key key = keyOf(geometry, joinPoints);
    watch(store);
    const bool tookAhead = (!valid_ || !(key == key_)) && switchLayers(key);
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    const int first = firstChangedSeries(store, lastSeries);
    if (!valid_ || !(key == key_)) {
        rebuild(store, geometry, joinPoints, lastSeries);
        key_ = key;
        valid_ = true;
    } else if (first == 0) {
        if (!tookAhead) {
            return false;
        }
    } else if (onlyAddedFrom(first)) {
        IvChartPlotter plotter(layer_, geometry, joinPoints);
        for (int series = first; series <= lastSeries; ++series) {
            if (current_[static_cast<std::size_t>(series)] != 0) {
                plotter.drawStoredSeriesAtPixelResolution(store, series, series);
                ++seriesAdded_;
            }
        }
    } else {
        rebuild(store, geometry, joinPoints, lastSeries);
    }
    drawn_ = current_;
    ++generation_;
    return true;
}

bool StoredLayerCache::prepare(const SeriesStore& store, const IvChartGeometry& geometry,
                               bool joinPoints, long pointBudget) {
    const Key key = keyOf(geometry, joinPoints);
    watch(store);
    if (valid_ && key == key_) {
        return true;
    }
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    firstChangedSeries(store, lastSeries);
    const bool drawnStillShown =
        std::equal(ahead_.drawn.begin() + 1, ahead_.drawn.begin() + ahead_.drawnUpTo + 1,
                   current_.begin() + 1);
    if (!ahead_.valid || !(ahead_.key == key) || !drawnStillShown) {
        const QSize size(geometry.width(), geometry.height());
        if (ahead_.layer.size() != size) {
            ahead_.layer = QImage(size, QImage::Format_ARGB32);
        }
        ahead_.layer.fill(Qt::transparent);
        ahead_.drawn.fill(0);
        ahead_.drawnUpTo = 0;
        ahead_.key = key;
        ahead_.valid = true;
    }
    IvChartPlotter plotter(ahead_.layer, geometry, joinPoints);
    long points = 0;
    while (ahead_.drawnUpTo < lastSeries && points < pointBudget) {
        const int series = ++ahead_.drawnUpTo;
        const auto slot = static_cast<std::size_t>(series);
        if (current_[slot] != 0) {
            plotter.drawStoredSeriesAtPixelResolution(store, series, series);
            points += storedPoints(store, series);
            ++seriesPrepared_;
        }
        ahead_.drawn[slot] = current_[slot];
    }
    return ahead_.drawnUpTo >= lastSeries;
}

// Series 1..k on this thread and k+1..last on another, into a layer of its own that then
// goes over the first: the later series cover the earlier ones, as in one drawing.
void StoredLayerCache::rebuild(const SeriesStore& store, const IvChartGeometry& geometry,
                               bool joinPoints, int lastSeries) {
    const QSize size(geometry.width(), geometry.height());
    if (layer_.size() != size) {
        layer_ = QImage(size, QImage::Format_ARGB32);
    }
    layer_.fill(Qt::transparent);
    ++builds_;

    std::array<long, kSlots> pointsUpTo{};
    for (int series = 1; series <= lastSeries; ++series) {
        pointsUpTo[static_cast<std::size_t>(series)] =
            pointsUpTo[static_cast<std::size_t>(series - 1)] + storedPoints(store, series);
    }
    const long total = pointsUpTo[static_cast<std::size_t>(lastSeries)];
    if (total < kPointsWorthASecondThread || std::thread::hardware_concurrency() < 2) {
        IvChartPlotter(layer_, geometry, joinPoints)
            .drawStoredSeriesAtPixelResolution(store, 1, lastSeries);
        return;
    }
    int split = 1;
    while (split < lastSeries && pointsUpTo[static_cast<std::size_t>(split)] * 2 < total) {
        ++split;
    }
    if (secondHalf_.size() != size) {
        secondHalf_ = QImage(size, QImage::Format_ARGB32);
    }
    secondHalf_.fill(Qt::transparent);
    {
        std::jthread later([&] {
            IvChartPlotter(secondHalf_, geometry, joinPoints)
                .drawStoredSeriesAtPixelResolution(store, split + 1, lastSeries);
        });
        IvChartPlotter(layer_, geometry, joinPoints)
            .drawStoredSeriesAtPixelResolution(store, 1, split);
    }
    overlayOpaquePixels(layer_, secondHalf_);
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
