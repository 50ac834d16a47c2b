#include "plot/SeriesLayerCache.h"

#include <algorithm>
#include <mutex>
#include <optional>
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

// This thread takes series from the front into the layer, another from the back into a
// layer of its own, drawn so that later series cover earlier ones, until they meet; however
// the threads fare, neither waits long for the other. The second layer then goes over the
// first, each thread laying it over half of the rows.
void SeriesLayerCache::rebuild(const std::vector<const PlotSeries*>& wanted, const AxisMap& x,
                               const AxisMap& y) {
    ++builds_;
    long total = 0;
    for (const PlotSeries* one : wanted) {
        total += one->points();
    }
    if (total < kPointsWorthASecondThread || std::thread::hardware_concurrency() < 2) {
        layer_.fill(Qt::transparent);
        drawAll(layer_, wanted, 0, wanted.size(), x, y);
        return;
    }
    if (secondHalf_.size() != layer_.size()) {
        secondHalf_ = QImage(layer_.size(), QImage::Format_ARGB32_Premultiplied);
    }
    std::mutex claiming;
    std::size_t front = 0;
    std::size_t back = wanted.size();
    const auto claim = [&](bool fromFront) -> std::optional<std::size_t> {
        const std::scoped_lock lock(claiming);
        if (front == back) {
            return std::nullopt;
        }
        return fromFront ? front++ : --back;
    };
    {
        std::jthread later([&] {
            secondHalf_.fill(Qt::transparent);
            SeriesRaster raster(secondHalf_, x, y, SeriesRaster::Cover::Keep);
            while (const auto s = claim(false)) {
                raster.drawSeries(*wanted[*s], wanted[*s]->colour);
            }
        });
        layer_.fill(Qt::transparent);
        SeriesRaster raster(layer_, x, y);
        while (const auto s = claim(true)) {
            raster.drawSeries(*wanted[*s], wanted[*s]->colour);
        }
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
