#include "series/IvChart.h"

#include <cstring>
#include <utility>

#include "series/ChartCanvas.h"
#include "series/IvChartPlotter.h"
#include "series/SeriesStore.h"

namespace tarvix::series {

namespace {

// Copies the opaque pixels of the layer over the picture.
void overlay(QImage& picture, const QImage& layer) {
    for (int y = 0; y < picture.height(); ++y) {
        QRgb* target = reinterpret_cast<QRgb*>(picture.scanLine(y));
        const QRgb* source = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(source[x]) != 0) {
                target[x] = source[x];
            }
        }
    }
}

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
        host->showFrame(ivBitmap_);
        host->runPendingEvents();
    }
    animationDelay_ = 0;
    return label;
}

template <typename Animate>
void IvChart::drawLiveRun(IvChartPlotter& plotter, const SeriesStore& store,
                          const IvChartOptions& options, Animate&& animate) {
    const int lastSegment = IvChartPlotter::lastNonEmptyLiveSegment(store);
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        const float* current = store.liveCurrent(segment);
        const int count = IvChartPlotter::pointCount(current);
        if (count < 1) {
            continue;
        }
        const auto afterPoint = [&](int point, QPoint at) {
            animate(at);
            // The newest point of a running segment stays marked.
            if (point == count && animationDelay_ == 0 && !options.segmentFinished &&
                segment == lastSegment) {
                plotter.invertMarker(at);
            }
        };
        plotter.drawSegment(store.liveVoltage(segment), current, count,
                            IvChartPlotter::segmentColour(segment), afterPoint);
    }
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
            overlay(composed_, storedLayer_.layer());
        } else {
            composed_ = backdrop;
        }
        composedKey_ = key;
        composedValid_ = true;
    }
    return composed_;
}

// The stored series are drawn after the live run and cover it, so the live run is drawn
// onto the backdrop-plus-stored picture everywhere the stored layer is not opaque.
std::optional<QString> IvChart::drawCached(const IvChartGeometry& geometry, const QString& yLabel,
                                           const QString& xLabel, const IvChartOptions& options,
                                           const SeriesStore& store) {
    copyPixels(ivBitmap_, composedPicture(geometry, yLabel, xLabel, options, store));
    IvChartPlotter plotter(ivBitmap_, geometry, options.joinPoints,
                           options.showStored ? &storedLayer_.layer() : nullptr);
    drawLiveRun(plotter, store, options, [](QPoint) {});
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
