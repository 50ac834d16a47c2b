// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "series/IvChartGeometry.h"
#include "series/SeriesStore.h"

namespace tarvix::series {

// The stored series of the I-V chart drawn into a transparent layer: a pixel is opaque, with
// its final colour, where a stored point or joining line set it. Each series is drawn at the
// picture's resolution (see IvChartPlotter::drawSegmentAtPixelResolution).
//
// The layer remembers a fingerprint of what it drew of every series. When the store changes,
// only the series whose revision moved are looked at again: series added after everything
// drawn so far (a commit, a repetition, a Start) are drawn over the layer as it is, and the
// layer is drawn anew only when a series it already shows changed, or when anything that
// moves the points (size, ranges, scale, joining) changes. A new drawing of a large store is
// shared between two threads.
//
// A second layer is kept for other ranges: the one drawn before the ranges last changed, or
// one drawn ahead, a few series at a time (prepare), while the window is idle. When the chart
// moves to its ranges, update takes it over and draws only the series it does not show yet.
class StoredLayerCache {
  public:
    StoredLayerCache();

    // Brings the layer up to date; true when it changed.
    bool update(const SeriesStore& store, const IvChartGeometry& geometry, bool joinPoints);
    // Draws up to about `pointBudget` stored points more of the layer for `geometry`; true when
    // nothing is left to draw for it (the layer itself is for it, or the one ahead is done).
    bool prepare(const SeriesStore& store, const IvChartGeometry& geometry, bool joinPoints,
                 long pointBudget);
    // Series drawn ahead by prepare.
    int seriesPrepared() const { return seriesPrepared_; }
    const QImage& layer() const { return layer_; }
    std::uint64_t generation() const { return generation_; }
    // Whole drawings of the layer, and series drawn over it since.
    int builds() const { return builds_; }
    int seriesAdded() const { return seriesAdded_; }
    void invalidate() {
        valid_ = false;
        segmentsValid_ = false;
        ahead_.valid = false;
    }

    // The label of the last non-empty stored segment whose label is not empty, over series
    // 1..seriesCount; what the log-scale chart leaves in Label45.
    std::optional<QString> lastSegmentLabel(const SeriesStore& store);

  private:
    struct Key {
        int width = 0;
        int height = 0;
        IvChartRanges ranges;
        bool logScale = false;
        bool joinPoints = false;
        bool operator==(const Key& other) const;
    };
    // What the store holds in one series, as far as the layer knows it.
    struct SeriesSeen {
        std::uint64_t revision = ~std::uint64_t(0);
        std::uint64_t fingerprint = 0;  // 0: nothing to draw
    };
    static constexpr std::size_t kSlots = SeriesStore::kMaxSeries + 1;
    // The layer for other ranges: series 1..drawnUpTo of the store, for `key`.
    struct Ahead {
        QImage layer;
        Key key;
        std::array<std::uint64_t, kSlots> drawn{};
        int drawnUpTo = 0;
        bool valid = false;
    };

    static Key keyOf(const IvChartGeometry& geometry, bool joinPoints);
    void watch(const SeriesStore& store);
    bool switchLayers(const Key& key);
    std::uint64_t fingerprint(const SeriesStore& store, int series);
    // The first series whose drawing differs from the layer's, or 0 when none does.
    int firstChangedSeries(const SeriesStore& store, int lastSeries);
    bool onlyAddedFrom(int series) const;
    void rebuild(const SeriesStore& store, const IvChartGeometry& geometry, bool joinPoints,
                 int lastSeries);
    void refreshNonEmptySegments(const SeriesStore& store);

    const SeriesStore* store_ = nullptr;  // whose revisions seen_ holds
    QImage layer_;
    QImage secondHalf_;  // the later series while two threads draw
    Key key_;
    bool valid_ = false;
    std::uint64_t generation_ = 0;
    int builds_ = 0;
    int seriesAdded_ = 0;
    int seriesPrepared_ = 0;
    Ahead ahead_;
    std::array<SeriesSeen, kSlots> seen_{};
    std::array<std::uint64_t, kSlots> drawn_{};    // fingerprint of what the layer shows
    std::array<std::uint64_t, kSlots> current_{};  // fingerprint the store holds now

    // (series, segment) of every non-empty stored segment, in drawing order; labels are read
    // fresh each time since they may change without a revision.
    std::vector<std::pair<int, int>> nonEmptySegments_;
    unsigned segmentsRevision_ = 0;
    int segmentsSeriesCount_ = 0;
    bool segmentsValid_ = false;
};

}  // namespace tarvix::series
