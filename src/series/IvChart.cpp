// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/IvChart.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "series/ChartCanvas.h"
#include "series/IvChartPlotter.h"
#include "series/SeriesStore.h"

namespace tarvix::series {

namespace {

// Into the existing image, so that a redraw allocates nothing.
void copyPixels(QImage& target, const QImage& source) {
    if (target.size() != source.size() || target.format() != source.format() ||
        target.bytesPerLine() != source.bytesPerLine()) {
        target = source.copy();
        return;
    }
    std::memcpy(target.bits(), source.constBits(), static_cast<std::size_t>(source.sizeInBytes()));
}

}  // namespace

IvChart::IvChart(QSize paintBoxSize)
    : size_(std::max(paintBoxSize.width(), 1), std::max(paintBoxSize.height(), 1)),
      ivBitmap_(makeChartImage(size_.width(), size_.height())) {}

IvChart::~IvChart() = default;

QRgb IvChart::segmentColor(int segment) {
    return IvChartPlotter::segmentColour(segment);
}

void IvChart::invalidateCaches() {
    backdrop_.invalidate();
    storedLayer_.invalidate();
    composedValid_ = false;
    liveRun_.forget();
}

namespace {

// About a few milliseconds of drawing, so that the window stays responsive between calls.
constexpr long kPreparedPointsPerCall = 200000;

}  // namespace

bool IvChart::prepareStoredLayer(IvChartRanges ranges, const IvChartOptions& options,
                                 const SeriesStore& store) {
    if (!options.showStored || !cachingEnabled_) {
        return true;
    }
    const IvChartGeometry geometry(size_, ranges, options.logScale);
    return storedLayer_.prepare(store, geometry, options.joinPoints, kPreparedPointsPerCall);
}

std::optional<QString> IvChart::drawIvChart(const QString& yLabel, const QString& xLabel,
                                            IvChartRanges ranges, const IvChartOptions& options,
                                            const SeriesStore& store, AnimationHost* host) {
    const IvChartGeometry geometry(size_, ranges, options.logScale);
    // An animation lets events run between points, so it never takes the cached route.
    std::optional<QString> label =
        (animationDelay_ != 0 || !cachingEnabled_)
            ? drawFromScratch(geometry, yLabel, xLabel, options, store, host)
            : drawCached(geometry, yLabel, xLabel, options, store);
    if (overlay_) {
        overlay_(ivBitmap_, geometry);
    }
    if (host) {
        host->showChangedFrame(ivBitmap_, changedArea_);
        host->runPendingEvents();
    }
    animationDelay_ = 0;
    return label;
}

// Moves with every write into the picture, whoever makes it.
std::uint64_t IvChart::pictureKey() const {
    return static_cast<std::uint64_t>(ivBitmap_.cacheKey());
}

bool IvChart::newestPointMarked(const IvChartOptions& options) const {
    return animationDelay_ == 0 && !options.segmentFinished;
}

// Returns where the newest-point marker went, if it was set.
template <typename Animate>
std::optional<QPoint> IvChart::drawLiveRun(IvChartPlotter& plotter, const SeriesStore& store,
                                           const IvChartOptions& options, Animate&& animate) {
    const int lastSegment = IvChartPlotter::lastNonEmptyLiveSegment(store);
    std::optional<QPoint> marker;
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        const float* current = store.liveCurrent(segment);
        const int count = IvChartPlotter::pointCount(current);
        if (count < 1) {
            continue;
        }
        const auto afterPoint = [&](int point, QPoint at) {
            animate(at);
            // The newest point of a running segment stays marked.
            if (point == count && newestPointMarked(options) && segment == lastSegment) {
                plotter.invertMarker(at);
                marker = at;
            }
        };
        plotter.drawSegment(store.liveVoltage(segment), current, count,
                            IvChartPlotter::segmentColour(segment), afterPoint);
    }
    return marker;
}

namespace {

// The pixels of a point and of the joining line that leads to it.
QRect pointArea(QPoint from, QPoint to) {
    return QRect(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                 QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y())))
        .adjusted(-1, -1, 1, 1);
}

QRect markerArea(QPoint at) {
    return {at.x() - 5, at.y() - 5, 7, 7};
}

}  // namespace

// The marker is an inversion, so inverting it again where it was brings back the picture
// without it; the new points then go on as they would have in one drawing.
QRect IvChart::extendLiveRun(const IvChartGeometry& geometry, const IvChartOptions& options,
                             const SeriesStore& store) {
    IvChartPlotter plotter(ivBitmap_, geometry, options.joinPoints,
                           options.showStored ? &storedLayer_.layer() : nullptr);
    QRect changed;
    if (const auto marker = liveRun_.marker()) {
        plotter.invertMarker(*marker);
        changed |= markerArea(*marker);
    }
    const int lastSegment = IvChartPlotter::lastNonEmptyLiveSegment(store);
    std::optional<QPoint> marker;
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        const float* current = store.liveCurrent(segment);
        const int count = IvChartPlotter::pointCount(current);
        const int first = liveRun_.drawnCount(segment) + 1;
        if (count < first) {
            continue;
        }
        const float* voltage = store.liveVoltage(segment);
        QPoint previous = first > 1 ? geometry.pointAt(voltage[first - 1], current[first - 1])
                                    : geometry.pointAt(voltage[first], current[first]);
        plotter.drawSegmentPart(voltage, current, first, count,
                                IvChartPlotter::segmentColour(segment), [&](int, QPoint at) {
                                    changed |= pointArea(previous, at);
                                    previous = at;
                                });
    }
    if (lastSegment != 0 && geometry.pointsDrawable() && newestPointMarked(options)) {
        const float* current = store.liveCurrent(lastSegment);
        const int count = IvChartPlotter::pointCount(current);
        marker = geometry.pointAt(store.liveVoltage(lastSegment)[count], current[count]);
        plotter.invertMarker(*marker);
        changed |= markerArea(*marker);
    }
    liveRun_.grew(store, marker);
    return changed & ivBitmap_.rect();
}

const QImage& IvChart::composedPicture(const IvChartGeometry& geometry, const QString& yLabel,
                                       const QString& xLabel, const IvChartOptions& options,
                                       const SeriesStore& store) {
    const QImage& backdrop = backdrop_.image(geometry, options, yLabel, xLabel);
    if (options.showStored) {
        storedLayer_.update(store, geometry, options.joinPoints);
    }
    const ComposedKey key{backdrop_.generation(),
                          options.showStored ? storedLayer_.generation() : 0, options.showStored};
    if (!composedValid_ || !(key == composedKey_)) {
        if (options.showStored) {
            composed_ = backdrop.copy();
            overlayOpaquePixels(composed_, storedLayer_.layer());
        } else {
            composed_ = backdrop;
        }
        composedKey_ = key;
        composedValid_ = true;
        ++composedGeneration_;
    }
    return composed_;
}

// The stored series are drawn after the live run and cover it, so the live run is drawn
// onto the backdrop-plus-stored picture everywhere the stored layer is not opaque.
std::optional<QString> IvChart::drawCached(const IvChartGeometry& geometry, const QString& yLabel,
                                           const QString& xLabel, const IvChartOptions& options,
                                           const SeriesStore& store) {
    const QImage& composed = composedPicture(geometry, yLabel, xLabel, options, store);
    const LiveRunProgress::Basis basis{pictureKey(), composedGeneration_, &store,
                                       store.liveGeneration(), options.joinPoints};
    if (liveRun_.onlyGrew(basis, store)) {
        changedArea_ = extendLiveRun(geometry, options, store);
    } else {
        copyPixels(ivBitmap_, composed);
        IvChartPlotter plotter(ivBitmap_, geometry, options.joinPoints,
                               options.showStored ? &storedLayer_.layer() : nullptr);
        const std::optional<QPoint> marker = drawLiveRun(plotter, store, options, [](QPoint) {});
        liveRun_.drawn(basis, store, marker);
        changedArea_ = ivBitmap_.rect();
    }
    // Whatever wrote into the picture since, it no longer matches the kept progress.
    liveRun_.setPictureKey(pictureKey());
    if (options.showStored && options.logScale) {
        return storedLayer_.lastSegmentLabel(store);
    }
    return std::nullopt;
}

// Draws into a picture of its own: events that run between animation steps may draw the
// chart again, and must not have this drawing's markers inverted over their picture.
std::optional<QString> IvChart::drawFromScratch(const IvChartGeometry& geometry,
                                                const QString& yLabel, const QString& xLabel,
                                                const IvChartOptions& options,
                                                const SeriesStore& store, AnimationHost* host) {
    QImage picture = makeChartImage(size_.width(), size_.height());
    IvChartBackdrop::draw(picture, geometry, options, yLabel, xLabel);
    IvChartPlotter plotter(picture, geometry, options.joinPoints);
    const auto animate = [&](QPoint at) {
        if (animationDelay_ == 0) {
            return;
        }
        plotter.invertMarker(at);
        if (host) {
            host->showFrame(picture);
            host->runPendingEvents();
            host->sleep(animationDelay_);
            plotter.retarget(picture);
        }
        plotter.invertMarker(at);
    };
    drawLiveRun(plotter, store, options, animate);
    liveRun_.forget();
    changedArea_ = picture.rect();

    std::optional<QString> label;
    if (options.showStored) {
        const auto segmentStarts = [&](int series, int segment) {
            const QString& text = store.segmentLabel(segment, series);
            if (!options.logScale || text.isEmpty()) {
                return;
            }
            label = text;
            if (animationDelay_ != 0 && host) {
                host->showSegmentLabel(text);
            }
        };
        plotter.drawStoredSeries(store, segmentStarts, [&](int, QPoint at) { animate(at); });
    }
    ivBitmap_ = std::move(picture);
    return label;
}

}  // namespace tarvix::series
