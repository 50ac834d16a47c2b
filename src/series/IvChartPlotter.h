// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <algorithm>

#include "series/IvChartGeometry.h"
#include "series/SeriesStore.h"

namespace tarvix::series {

// Draws the I-V chart's points, joining lines and inverting markers into an image. Given a
// layer that will be copied over the picture afterwards, it leaves alone every pixel that the
// layer covers (alpha not 0): those pixels end up as the layer's anyway, so the result is the
// same as drawing everything and then the layer, without touching the layer's pixels again.
class IvChartPlotter {
  public:
    IvChartPlotter(QImage& target, const IvChartGeometry& geometry, bool joinPoints,
                   const QImage* coveredLater = nullptr);

    // A segment's point count, from index 0 of its table, limited to the table.
    static int pointCount(const float* segment);
    static QRgb segmentColour(int segment);
    static int lastNonEmptyLiveSegment(const SeriesStore& store);

    // Points 1..count of one segment; afterPoint(p, position) runs after each point's pixels
    // and joining line. Nothing is drawn when the ranges leave no room for points.
    template <typename AfterPoint>
    void drawSegment(const float* voltage, const float* current, int count, QRgb colour,
                     AfterPoint&& afterPoint) {
        drawSegmentPart(voltage, current, 1, count, colour, afterPoint);
    }
    // Points first..last only, joined to point first - 1 as a whole drawing would: what a
    // growing segment adds to a picture that already holds its earlier points.
    template <typename AfterPoint>
    void drawSegmentPart(const float* voltage, const float* current, int first, int last,
                         QRgb colour, AfterPoint&& afterPoint);

    // Points 1..count at the picture's resolution: of consecutive points that fall into one
    // pixel column only the first, the last and the highest and lowest are drawn. The
    // joining lines between them cover the same stretch of the column, so the picture is
    // the same as drawSegment's wherever no more than two points share a column in a row;
    // only the side pixels of the points left out can be missing.
    void drawSegmentAtPixelResolution(const float* voltage, const float* current, int count,
                                      QRgb colour);

    // Series 1..seriesCount, segments 1..8: segmentStarts(series, segment) runs before each
    // non-empty segment is drawn, afterPoint as in drawSegment.
    template <typename SegmentStarts, typename AfterPoint>
    void drawStoredSeries(const SeriesStore& store, SegmentStarts&& segmentStarts,
                          AfterPoint&& afterPoint);

    // Series firstSeries..lastSeries drawn with drawSegmentAtPixelResolution, for kept layers.
    void drawStoredSeriesAtPixelResolution(const SeriesStore& store, int firstSeries,
                                           int lastSeries);

    void invertMarker(QPoint at);
    // After the target may have been shared (a host kept the frame): write into its own copy.
    void retarget(QImage& target);

  private:
    void drawPoint(QPoint at, QRgb colour, bool joined);
    void setPixel(int x, int y, QRgb colour);
    void plotPoint(QPoint at, QRgb colour);
    void joinLine(QPoint from, QPoint to, QRgb colour);
    bool writable(int x, int y) const;

    const IvChartGeometry& geometry_;
    QRgb* pixels_;               // the target's pixels, row after row
    const QRgb* coveredPixels_;  // the later layer's, or null
    int width_;
    int height_;
    qsizetype stride_;  // pixels per row
    bool joinPoints_;
    QPoint previous_;  // carries over between segments, as the joining lines expect
};

template <typename AfterPoint>
void IvChartPlotter::drawSegmentPart(const float* voltage, const float* current, int first,
                                     int last, QRgb colour, AfterPoint&& afterPoint) {
    if (!geometry_.pointsDrawable() || first > last) {
        return;
    }
    if (first > 1) {
        previous_ = geometry_.pointAt(voltage[first - 1], current[first - 1]);
    }
    for (int p = first; p <= last; ++p) {
        const QPoint at = geometry_.pointAt(voltage[p], current[p]);
        drawPoint(at, colour, p != 1);
        afterPoint(p, at);
    }
}

template <typename SegmentStarts, typename AfterPoint>
void IvChartPlotter::drawStoredSeries(const SeriesStore& store, SegmentStarts&& segmentStarts,
                                      AfterPoint&& afterPoint) {
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    for (int series = 1; series <= lastSeries; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            const float* current = store.storedCurrent(segment, series);
            const int count = pointCount(current);
            if (count < 1) {
                continue;
            }
            segmentStarts(series, segment);
            drawSegment(store.storedVoltage(segment, series), current, count,
                        segmentColour(segment), afterPoint);
        }
    }
}

}  // namespace tarvix::series
