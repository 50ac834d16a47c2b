#include "plot/SeriesLayerCache.h"

#include <algorithm>
#include <thread>

#include "plot/SeriesRaster.h"
#include "series/ChartCanvas.h"

namespace tarvix::plot {

namespace {

// Below this many points a second thread costs more than it saves.
constexpr long kPointsWorthASecondThread = 400000;

void drawAll(QImage& image, const std::vector<const PlotSeries*>& series, std::size_t first,
             std::size_t end, const AxisMap& x, const AxisMap& y) {
    SeriesRaster raster(image, x, y);
    for (std::size_t s = first; s < end; ++s) {
        raster.drawSeries(*series[s], series[s]->colour);
    }
}

}  // namespace

const QImage& SeriesLayerCache::layer(const std::vector<PlotSeries>& series, const AxisMap& x,
                                      const AxisMap& y, QSize size, double devicePixelRatio) {
    std::vector<const PlotSeries*> wanted;
    std::vector<Drawn> wantedDrawn;
    for (const PlotSeries& one : series) {
        if (one.shown && !one.live && !one.dots) {
            wanted.push_back(&one);
            wantedDrawn.push_back({one.key, one.revision, one.colour});
        }
    }
    const Key key{size, x.range(), y.range(), x.magnitude(), y.magnitude()};
    const bool onlyAdded = valid_ && key == key_ && wantedDrawn.size() >= drawn_.size() &&
                           std::equal(drawn_.begin(), drawn_.end(), wantedDrawn.begin());
    if (!onlyAdded) {
        if (layer_.size() != size) {
            layer_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        }
        layer_.setDevicePixelRatio(devicePixelRatio);
        key_ = key;
        rebuild(wanted, x, y);
        valid_ = true;
    } else if (wantedDrawn.size() > drawn_.size()) {
        drawAll(layer_, wanted, drawn_.size(), wanted.size(), x, y);
        seriesAdded_ += static_cast<int>(wanted.size() - drawn_.size());
    }
    drawn_ = std::move(wantedDrawn);
    return layer_;
}

// The earlier series on this thread and the later ones on another, into a layer of its own
// that then goes over the first: later series cover earlier ones, as in one drawing.
void SeriesLayerCache::rebuild(const std::vector<const PlotSeries*>& wanted, const AxisMap& x,
                               const AxisMap& y) {
    ++builds_;
    layer_.fill(Qt::transparent);
    std::vector<long> pointsUpTo(wanted.size() + 1, 0);
    for (std::size_t s = 0; s < wanted.size(); ++s) {
        pointsUpTo[s + 1] = pointsUpTo[s] + wanted[s]->points();
    }
    const long total = pointsUpTo.back();
    if (total < kPointsWorthASecondThread || std::thread::hardware_concurrency() < 2) {
        drawAll(layer_, wanted, 0, wanted.size(), x, y);
        return;
    }
    std::size_t split = 1;
    while (split < wanted.size() && pointsUpTo[split] * 2 < total) {
        ++split;
    }
    if (secondHalf_.size() != layer_.size()) {
        secondHalf_ = QImage(layer_.size(), QImage::Format_ARGB32_Premultiplied);
    }
    secondHalf_.fill(Qt::transparent);
    {
        std::jthread later([&] { drawAll(secondHalf_, wanted, split, wanted.size(), x, y); });
        drawAll(layer_, wanted, 0, split, x, y);
    }
    series::overlayOpaquePixels(layer_, secondHalf_);
}

}  // namespace tarvix::plot
