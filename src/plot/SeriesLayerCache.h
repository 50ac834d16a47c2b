// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <memory>
#include <vector>

#include "plot/PlotAxis.h"
#include "plot/PlotSeries.h"

namespace tarvix::plot {

// The stored series of a plot drawn (SeriesRaster) into a transparent layer that is kept
// while nothing that moves their pixels changes. Series added after the ones drawn (a new
// run, a repetition) are drawn over the layer as it is; anything else (the size, a range, a
// scale, a series hidden, shown or changed) draws the layer anew, on two threads when the
// series are many.
class SeriesLayerCache {
  public:
    SeriesLayerCache();
    SeriesLayerCache(SeriesLayerCache&&) noexcept;
    SeriesLayerCache& operator=(SeriesLayerCache&&) noexcept;
    ~SeriesLayerCache();

    // The layer of the shown series that are neither live nor dots, in their order. The axis maps
    // give pixels of a layer of `size` device pixels, shown at `devicePixelRatio`.
    const QImage& layer(const std::vector<PlotSeries>& series, const AxisMap& x, const AxisMap& y,
                        QSize size, double devicePixelRatio = 1.0);
    // Starts drawing that layer on another thread (the window's new size is known before the
    // window paints), so that layer() for the same finds part of it drawn; layer() for
    // anything else drops it.
    void prepare(const std::vector<PlotSeries>& series, const AxisMap& x, const AxisMap& y,
                 QSize size);
    // Whole drawings of the layer, and series drawn over it since.
    int builds() const { return builds_; }
    // The layer as last drawn.
    const QImage& current() const { return layer_; }
    int seriesAdded() const { return seriesAdded_; }
    void invalidate() { valid_ = false; }

  private:
    struct Key {
        QSize size;
        AxisRange x;
        AxisRange y;
        bool xMagnitude = false;
        bool yMagnitude = false;
        bool operator==(const Key& other) const = default;
    };
    struct Drawn {
        int key = 0;
        std::uint64_t revision = 0;
        QRgb colour = 0;
        bool operator==(const Drawn& other) const = default;
    };
    struct Build;
    std::unique_ptr<Build> start(std::vector<PlotSeries> wanted, const AxisMap& x, const AxisMap& y,
                                 const Key& key);
    void finish(Build& build);

    std::unique_ptr<Build> pending_;
    QImage layer_;
    QImage secondHalf_;
    Key key_;
    bool valid_ = false;
    std::vector<Drawn> drawn_;
    int builds_ = 0;
    int seriesAdded_ = 0;
};

}  // namespace tarvix::plot
