// SPDX-License-Identifier: GPL-3.0-or-later
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

bool drawnInLayer(const PlotSeries& one) {
    return one.shown && !one.live && !one.dots;
}

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

// One drawing of the layer on two threads: the other thread takes series from the back into
// a layer of its own, drawn so that later series cover earlier ones, and the window's thread
// takes them from the front when it comes to it, until they meet; however the threads fare,
// neither waits long for the other. It owns what it draws from, so it may run ahead.
struct SeriesLayerCache::Build {
    Key key;
    std::vector<PlotSeries> series;
    AxisMap x;
    AxisMap y;
    QImage later;
    std::mutex claiming;
    std::size_t front = 0;
    std::size_t back = 0;
    std::jthread worker;

    std::optional<std::size_t> claim(bool fromFront) {
        const std::scoped_lock lock(claiming);
        if (front == back) {
            return std::nullopt;
        }
        return fromFront ? front++ : --back;
    }
    ~Build() {
        {
            const std::scoped_lock lock(claiming);
            back = front;  // what is not drawn yet is not wanted any more
        }
        if (worker.joinable()) {
            worker.join();
        }
    }
};

SeriesLayerCache::SeriesLayerCache() = default;
SeriesLayerCache::SeriesLayerCache(SeriesLayerCache&&) noexcept = default;
SeriesLayerCache& SeriesLayerCache::operator=(SeriesLayerCache&&) noexcept = default;
SeriesLayerCache::~SeriesLayerCache() = default;

const QImage& SeriesLayerCache::layer(const std::vector<PlotSeries>& series, const AxisMap& x,
                                      const AxisMap& y, QSize size, double devicePixelRatio) {
    std::vector<const PlotSeries*> wanted;
    std::vector<Drawn> wantedDrawn;
    for (const PlotSeries& one : series) {
        if (drawnInLayer(one)) {
            wanted.push_back(&one);
            wantedDrawn.push_back({one.key, one.revision, one.colour});
        }
    }
    const Key key{size, x.range(), y.range(), x.magnitude(), y.magnitude()};
    std::unique_ptr<Build> pending = std::move(pending_);
    const bool onlyAdded = valid_ && key == key_ && wantedDrawn.size() >= drawn_.size() &&
                           std::equal(drawn_.begin(), drawn_.end(), wantedDrawn.begin());
    if (!onlyAdded) {
        if (layer_.size() != size) {
            layer_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        }
        layer_.setDevicePixelRatio(devicePixelRatio);
        key_ = key;
        ++builds_;
        const auto same = [&](const PlotSeries* one, const PlotSeries& started) {
            return one->key == started.key && one->revision == started.revision &&
                   one->colour == started.colour;
        };
        if (!pending || pending->key != key ||
            !std::equal(wanted.begin(), wanted.end(), pending->series.begin(),
                        pending->series.end(), same)) {
            std::vector<PlotSeries> copies;
            for (const PlotSeries* one : wanted) {
                copies.push_back(*one);
            }
            pending = start(std::move(copies), x, y, key);
        }
        finish(*pending);
        valid_ = true;
    } else if (wantedDrawn.size() > drawn_.size()) {
        drawAll(layer_, wanted, drawn_.size(), wanted.size(), x, y);
        seriesAdded_ += static_cast<int>(wanted.size() - drawn_.size());
    }
    drawn_ = std::move(wantedDrawn);
    return layer_;
}

void SeriesLayerCache::prepare(const std::vector<PlotSeries>& series, const AxisMap& x,
                               const AxisMap& y, QSize size) {
    const Key key{size, x.range(), y.range(), x.magnitude(), y.magnitude()};
    if (valid_ && key == key_) {
        return;  // nothing moves the pixels: the layer stays
    }
    std::vector<PlotSeries> wanted;
    std::copy_if(series.begin(), series.end(), std::back_inserter(wanted), drawnInLayer);
    pending_.reset();
    pending_ = start(std::move(wanted), x, y, key);
}

std::unique_ptr<SeriesLayerCache::Build> SeriesLayerCache::start(std::vector<PlotSeries> wanted,
                                                                 const AxisMap& x, const AxisMap& y,
                                                                 const Key& key) {
    auto build = std::make_unique<Build>();
    build->key = key;
    build->series = std::move(wanted);
    build->x = x;
    build->y = y;
    build->back = build->series.size();
    long total = 0;
    for (const PlotSeries& one : build->series) {
        total += one.points();
    }
    if (total < kPointsWorthASecondThread || std::thread::hardware_concurrency() < 2) {
        return build;
    }
    build->later = std::move(secondHalf_);
    if (build->later.size() != key.size) {
        build->later = QImage(key.size, QImage::Format_ARGB32_Premultiplied);
    }
    build->worker = std::jthread([b = build.get()] {
        b->later.fill(Qt::transparent);
        SeriesRaster raster(b->later, b->x, b->y, SeriesRaster::Cover::Keep);
        while (const auto s = b->claim(false)) {
            raster.drawSeries(b->series[*s], b->series[*s].colour);
        }
    });
    return build;
}

// This thread's part of the drawing, then the other's layer over this one, each thread over
// half of the rows.
void SeriesLayerCache::finish(Build& build) {
    layer_.fill(Qt::transparent);
    SeriesRaster raster(layer_, build.x, build.y);
    while (const auto s = build.claim(true)) {
        raster.drawSeries(build.series[*s], build.series[*s].colour);
    }
    if (!build.worker.joinable()) {
        return;
    }
    build.worker.join();
    uchar* bits = layer_.bits();
    const uchar* laterBits = build.later.constBits();
    const QSize size = layer_.size();
    const qsizetype bytesPerLine = layer_.bytesPerLine();
    const int middle = size.height() / 2;
    {
        std::jthread lower(
            [&] { overlayRows(bits, laterBits, size, bytesPerLine, middle, size.height()); });
        overlayRows(bits, laterBits, size, bytesPerLine, 0, middle);
    }
    secondHalf_ = std::move(build.later);
}

}  // namespace tarvix::plot
