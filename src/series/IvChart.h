// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "series/IvChartBackdrop.h"
#include "series/IvChartGeometry.h"
#include "series/IvChartOptions.h"
#include "series/LiveRunProgress.h"
#include "series/StoredLayerCache.h"

namespace tarvix::series {

class IvChartPlotter;
class SeriesStore;

// What the I-V chart needs from the window: showing a picture and, while an animation plays,
// letting pending events run and pausing between points.
class AnimationHost {
  public:
    virtual ~AnimationHost() = default;
    // Copy the picture to PaintBox1. The image is valid during the call only; keep a deep
    // copy (QImage::copy) if it must outlive it.
    virtual void showFrame(const QImage& picture) = 0;
    // The same, when only `changed` differs from the picture shown before: a window may
    // repaint just that part.
    virtual void showChangedFrame(const QImage& picture, const QRect& changed) {
        (void)changed;
        showFrame(picture);
    }
    // Let pending window messages run. Stop may set the chart's animation delay to 0 here.
    virtual void runPendingEvents() = 0;
    virtual void sleep(int milliseconds) = 0;
    // During an animation in log scale: the label of the stored segment about to be drawn,
    // for Label45. drawIvChart's result gives the final one.
    virtual void showSegmentLabel(const QString& label) { (void)label; }
};

// The I-V chart: renders the series store into the off-screen image `ivBitmap`, which the
// window copies to PaintBox1. Every drawing gives the same picture as a drawing from
// scratch (the stored series at the picture's resolution); the layers that do not change
// from point to point (the backdrop and the stored series) are kept and drawn again only
// when their inputs change, and while a run grows only its new points are added to the
// picture. Overlays that belong over the finished chart go after the live run, in
// drawCached, so that both routes show them.
class IvChart {
  public:
    // Both axis captions every caller passes.
    static QString currentCaption() { return QStringLiteral("micro A   "); }
    static QString voltageCaption() { return QStringLiteral("    V"); }

    explicit IvChart(QSize paintBoxSize);
    ~IvChart();
    IvChart(const IvChart&) = delete;
    IvChart& operator=(const IvChart&) = delete;

    // Segment 1..8 colour of the points and lines.
    static QRgb segmentColor(int segment);

    // The picture. Other charts (the analysis, the temperature chart) may draw into it; the
    // next drawIvChart replaces it whole.
    QImage& ivBitmap() { return ivBitmap_; }
    const QImage& ivBitmap() const { return ivBitmap_; }

    // Milliseconds per point of the next drawing, which then plays as an animation; one-shot:
    // every drawing ends with it at 0. Stop sets it to 0 to finish an animation plainly.
    int animationDelay() const { return animationDelay_; }
    void setAnimationDelay(int milliseconds) { animationDelay_ = milliseconds; }

    // Draws the whole chart: backdrop, live run, and the stored series when
    // options.showStored. Ranges are taken by value and never changed. The host (may be null)
    // is shown the finished picture and lets pending events run. Returns the text Label45
    // should show: in log scale with the stored series shown, the label of the last
    // non-empty stored segment that has one; otherwise nothing (leave Label45 as it is).
    std::optional<QString> drawIvChart(const QString& yLabel, const QString& xLabel,
                                       IvChartRanges ranges, const IvChartOptions& options,
                                       const SeriesStore& store, AnimationHost* host);

    // Drawn over each finished picture, after the kept layers (the analysis' fit window).
    using Overlay = std::function<void(QImage&, const IvChartGeometry&)>;
    void setOverlay(Overlay overlay) { overlay_ = std::move(overlay); }

    // Off: every drawing renders everything from scratch (the reference the caches match).
    void setCachingEnabled(bool enabled) { cachingEnabled_ = enabled; }
    bool cachingEnabled() const { return cachingEnabled_; }
    // Forget the kept layers, for a store changed behind its revision counter.
    void invalidateCaches();
    // How often the stored layer was drawn whole: stays put while only the live run changes
    // or series are added after the last one.
    int storedLayerBuilds() const { return storedLayer_.builds(); }
    // Series drawn over the kept stored layer since it was last drawn whole.
    int storedSeriesAdded() const { return storedLayer_.seriesAdded(); }
    // Draws a part of the stored layer for `ranges`, which the chart is expected to be drawn
    // with next, ahead of that drawing; true when nothing is left to draw for them. Meant for
    // idle moments: each call draws a few milliseconds' worth.
    bool prepareStoredLayer(IvChartRanges ranges, const IvChartOptions& options,
                            const SeriesStore& store);
    // Series drawn ahead by prepareStoredLayer.
    int storedSeriesPrepared() const { return storedLayer_.seriesPrepared(); }
    // The part of ivBitmap the last drawing changed (all of it after a drawing anew).
    QRect lastChangedArea() const { return changedArea_; }

  private:
    std::optional<QString> drawCached(const IvChartGeometry& geometry, const QString& yLabel,
                                      const QString& xLabel, const IvChartOptions& options,
                                      const SeriesStore& store);
    std::optional<QString> drawFromScratch(const IvChartGeometry& geometry, const QString& yLabel,
                                           const QString& xLabel, const IvChartOptions& options,
                                           const SeriesStore& store, AnimationHost* host);
    const QImage& composedPicture(const IvChartGeometry& geometry, const QString& yLabel,
                                  const QString& xLabel, const IvChartOptions& options,
                                  const SeriesStore& store);
    template <typename Animate>
    std::optional<QPoint> drawLiveRun(IvChartPlotter& plotter, const SeriesStore& store,
                                      const IvChartOptions& options, Animate&& animate);
    // Adds the points measured since the last drawing and moves the newest-point marker.
    QRect extendLiveRun(const IvChartGeometry& geometry, const IvChartOptions& options,
                        const SeriesStore& store);
    bool newestPointMarked(const IvChartOptions& options) const;
    std::uint64_t pictureKey() const;

    struct ComposedKey {
        std::uint64_t backdropGeneration = 0;
        std::uint64_t storedGeneration = 0;
        bool withStored = false;
        bool operator==(const ComposedKey&) const = default;
    };

    QSize size_;
    QImage ivBitmap_;
    int animationDelay_ = 0;
    bool cachingEnabled_ = true;
    IvChartBackdrop backdrop_;
    StoredLayerCache storedLayer_;
    QImage composed_;  // the backdrop with the stored layer over it
    ComposedKey composedKey_;
    bool composedValid_ = false;
    std::uint64_t composedGeneration_ = 0;
    LiveRunProgress liveRun_;
    QRect changedArea_;
    Overlay overlay_;
};

}  // namespace tarvix::series
