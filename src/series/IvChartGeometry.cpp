// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/IvChartGeometry.h"

#include <algorithm>
#include <cmath>

#include "series/IvChartStyle.h"

namespace tarvix::series {

using namespace ivstyle;

namespace {

void alignAxis(double& low, double& high) {
    if (low * high < 0.0) {
        const double step = (high - low) / kGridIntervals;
        const double k = std::trunc(high / step);
        const double shift = high - k * step;
        low -= shift;
        high -= shift;
    }
}

}  // namespace

IvChartGeometry::IvChartGeometry(QSize size, const IvChartRanges& requested, bool logScale)
    : width_(size.width()),
      height_(size.height()),
      ranges_(alignedToZero(requested)),
      voltageSpan_(ranges_.voltageMax - ranges_.voltageMin),
      currentSpan_(ranges_.currentMax - ranges_.currentMin),
      logScale_(logScale) {}

IvChartRanges IvChartGeometry::alignedToZero(const IvChartRanges& ranges) {
    IvChartRanges aligned = ranges;
    alignAxis(aligned.voltageMin, aligned.voltageMax);
    alignAxis(aligned.currentMin, aligned.currentMax);
    return aligned;
}

// A NaN position (from a NaN in a file) is put far off, like any value beyond the window.
int IvChartGeometry::toPixel(double coordinate) {
    if (std::isnan(coordinate)) {
        return -kFarPixel;
    }
    const double limit = kFarPixel;
    return static_cast<int>(std::nearbyint(std::clamp(coordinate, -limit, limit)));
}

bool IvChartGeometry::pointsDrawable() const {
    return voltageSpan_ != 0.0 && (logScale_ || currentSpan_ != 0.0);
}

int IvChartGeometry::pointX(float voltage) const {
    return toPixel(plotWidth() * (static_cast<double>(voltage) - ranges_.voltageMin) /
                       voltageSpan_ +
                   kLeftMargin);
}

int IvChartGeometry::pointY(float current) const {
    if (logScale_) {
        const double decade = current != 0.0f ? std::log10(std::fabs(static_cast<double>(current)))
                                              : kZeroCurrentDecade;
        return toPixel(plotHeight() * decade / kLowestDecade);
    }
    return toPixel(plotHeight() * (ranges_.currentMax - static_cast<double>(current)) /
                   currentSpan_);
}

// In log scale the height follows log10 |I|, and a zero current sits at 1e-11 A, which no
// float lies next to closely enough to be put out of order.
double IvChartGeometry::heightKey(float current) const {
    if (logScale_) {
        return current != 0.0f ? std::fabs(static_cast<double>(current)) : kZeroCurrentAmperes;
    }
    return current;
}

int IvChartGeometry::cursorX(float voltage) const {
    return toPixel(static_cast<double>(width_ - kCursorWidthCut) / voltageSpan_ *
                       (static_cast<double>(voltage) - ranges_.voltageMin) +
                   kLeftMargin);
}

int IvChartGeometry::gridX(int line) const {
    return toPixel(static_cast<double>(line) * plotWidth() / kGridIntervals) + kLeftMargin;
}

int IvChartGeometry::linearGridY(int line) const {
    return toPixel(static_cast<double>(kGridIntervals - line) * plotHeight() / kGridIntervals);
}

int IvChartGeometry::decadeY(int decade) const {
    return toPixel(static_cast<double>(0 - decade) * plotHeight() / (-kLowestDecade));
}

double IvChartGeometry::voltageAtGridLine(int line) const {
    return ranges_.voltageMin + line * voltageSpan_ / kGridIntervals;
}

double IvChartGeometry::currentAtGridLine(int line) const {
    return ranges_.currentMin + line * currentSpan_ / kGridIntervals;
}

}  // namespace tarvix::series
