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

// The opaque pixels of rows `first` to `end` of `over` copied onto `image` (same size), through
// their bits alone so that two threads can share the work.
void overlayRows(uchar* image, const uchar* over, QSize size, qsizetype bytesPerLine, int first,
                 int end) {
    if (first >= end) {
        return;
    }
    constexpr auto kFormat = QImage::Format_ARGB32_Premultiplied;
    QImage rows(image + first * bytesPerLine, size.width(), end - first, bytesPerLine, kFormat);
    const QImage overRows(over + first * bytesPerLine, size.width(), end - first, bytesPerLine,
                          kFormat);
    series::overlayOpaquePixels(rows, overRows);
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
// that then goes over the first: later series cover earlier ones, as in one drawing. Each
// thread clears its own layer; then each lays the later series over half of the rows.
void SeriesLayerCache::rebuild(const std::vector<const PlotSeries*>& wanted, const AxisMap& x,
                               const AxisMap& y) {
    ++builds_;
    std::vector<long> pointsUpTo(wanted.size() + 1, 0);
    for (std::size_t s = 0; s < wanted.size(); ++s) {
        pointsUpTo[s + 1] = pointsUpTo[s] + wanted[s]->points();
    }
    const long total = pointsUpTo.back();
    if (total < kPointsWorthASecondThread || std::thread::hardware_concurrency() < 2) {
        layer_.fill(Qt::transparent);
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
    {
        std::jthread later([&] {
            secondHalf_.fill(Qt::transparent);
            drawAll(secondHalf_, wanted, split, wanted.size(), x, y);
        });
        layer_.fill(Qt::transparent);
        drawAll(layer_, wanted, 0, split, x, y);
    }
    uchar* bits = layer_.bits();
    const uchar* laterBits = secondHalf_.constBits();
    const QSize size = layer_.size();
    const qsizetype bytesPerLine = layer_.bytesPerLine();
    const int middle = size.height() / 2;
    std::jthread lower(
        [&] { overlayRows(bits, laterBits, size, bytesPerLine, middle, size.height()); });
    overlayRows(bits, laterBits, size, bytesPerLine, 0, middle);
}

}  // namespace tarvix::plot
