// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/IvChartPlotter.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "series/ChartCanvas.h"
#include "series/IvChartStyle.h"
#include "series/LineClip.h"
#include "series/PixelColumnRun.h"

namespace tarvix::series {

namespace {

// Lines are walked pixel by pixel; an end far outside the picture is first moved onto this
// margin around it, so a wild reading costs no more than a long visible line.
constexpr int kWalkMargin = 2048;

}  // namespace

IvChartPlotter::IvChartPlotter(QImage& target, const IvChartGeometry& geometry, bool joinPoints,
                               const QImage* coveredLater)
    : geometry_(geometry),
      pixels_(reinterpret_cast<QRgb*>(target.bits())),
      coveredPixels_(coveredLater ? reinterpret_cast<const QRgb*>(coveredLater->constBits())
                                  : nullptr),
      width_(target.width()),
      height_(target.height()),
      stride_(target.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))),
      joinPoints_(joinPoints) {
    Q_ASSERT(target.depth() == 32);
    Q_ASSERT(!coveredLater || (coveredLater->size() == target.size() &&
                               coveredLater->bytesPerLine() == target.bytesPerLine()));
}

int IvChartPlotter::pointCount(const float* segment) {
    const float count = segment[0];
    if (!(count >= 0.5f)) {
        return 0;
    }
    if (count >= static_cast<float>(SeriesStore::kMaxPoints)) {
        return SeriesStore::kMaxPoints;
    }
    return SeriesStore::roundedCount(count);
}

QRgb IvChartPlotter::segmentColour(int segment) {
    return ivstyle::kSegmentColours[static_cast<std::size_t>(segment)];
}

int IvChartPlotter::lastNonEmptyLiveSegment(const SeriesStore& store) {
    for (int segment = SeriesStore::kSegments; segment >= 1; --segment) {
        if (pointCount(store.liveCurrent(segment)) >= 1) {
            return segment;
        }
    }
    return 0;
}

void IvChartPlotter::retarget(QImage& target) {
    pixels_ = reinterpret_cast<QRgb*>(target.bits());
}

bool IvChartPlotter::writable(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return false;
    }
    return !coveredPixels_ || qAlpha(coveredPixels_[y * stride_ + x]) == 0;
}

void IvChartPlotter::setPixel(int x, int y, QRgb colour) {
    if (writable(x, y)) {
        pixels_[y * stride_ + x] = colour;
    }
}

void IvChartPlotter::drawPoint(QPoint at, QRgb colour, bool joined) {
    plotPoint(at, colour);
    if (joinPoints_ && joined) {
        joinLine(previous_, at, colour);
    }
    previous_ = at;
}

void IvChartPlotter::drawSegmentAtPixelResolution(const float* voltage, const float* current,
                                                  int count, QRgb colour) {
    if (!geometry_.pointsDrawable()) {
        return;
    }
    PixelColumnRun run;
    bool joined = false;
    const auto drawRun = [&] {
        for (const int p : run.pointsToDraw()) {
            drawPoint(geometry_.pointAt(voltage[p], current[p]), colour, joined);
            joined = true;
        }
    };
    for (int p = 1; p <= count; ++p) {
        const int x = geometry_.pointX(voltage[p]);
        const double key = geometry_.heightKey(current[p]);
        if (!run.extend(p, x, key)) {
            drawRun();
            run.start(p, x, key);
        }
    }
    drawRun();
}

void IvChartPlotter::drawStoredSeriesAtPixelResolution(const SeriesStore& store, int firstSeries,
                                                       int lastSeries) {
    for (int series = std::max(firstSeries, 1);
         series <= std::min(lastSeries, SeriesStore::kMaxSeries); ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            const float* current = store.storedCurrent(segment, series);
            const int count = pointCount(current);
            if (count >= 1) {
                drawSegmentAtPixelResolution(store.storedVoltage(segment, series), current, count,
                                             segmentColour(segment));
            }
        }
    }
}

void IvChartPlotter::plotPoint(QPoint at, QRgb colour) {
    setPixel(at.x(), at.y(), colour);
    setPixel(at.x() - 1, at.y(), colour);
    setPixel(at.x() + 1, at.y(), colour);
    setPixel(at.x(), at.y() + 1, colour);
    setPixel(at.x(), at.y() - 1, colour);
    mirrorCross(at.x(), at.y(), 1, colour);
}

void IvChartPlotter::joinLine(QPoint from, QPoint to, QRgb colour) {
    const QRect box(-kWalkMargin, -kWalkMargin, width_ + 2 * kWalkMargin,
                    height_ + 2 * kWalkMargin);
    if ((!box.contains(from) || !box.contains(to)) && !clipToBox(from, to, box)) {
        return;
    }
    walkLine(from.x(), from.y(), to.x(), to.y(), LONG_MAX,
             [&](int x, int y) { setPixel(x, y, colour); });
    mirrorLine(from.x(), from.y(), to.x(), to.y(), colour);
}

// The 7 x 7 square with its top-left corner at (x - 5, y - 5), as the marker bitmap is laid.
void IvChartPlotter::invertMarker(QPoint at) {
    for (int y = at.y() - 5; y < at.y() + 2; ++y) {
        for (int x = at.x() - 5; x < at.x() + 2; ++x) {
            if (writable(x, y)) {
                QRgb& pixel = pixels_[y * stride_ + x];
                pixel = qRgb(255 - qRed(pixel), 255 - qGreen(pixel), 255 - qBlue(pixel));
            }
        }
    }
}

}  // namespace tarvix::series
