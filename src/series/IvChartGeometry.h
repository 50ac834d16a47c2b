// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QSize>

#include "series/IvChartOptions.h"
#include "series/IvChartStyle.h"

namespace tarvix::series {

// Where things land on the I-V chart for one drawing: the zero-aligned ranges and the pixel
// positions of grid lines, cursors and points. Pixel coordinates are rounded halves to even
// and held within +-kFarPixel, so that values far outside the window stay off the picture
// without overflowing.
class IvChartGeometry {
  public:
    static constexpr int kFarPixel = 1 << 24;

    IvChartGeometry(QSize size, const IvChartRanges& requested, bool logScale);

    // Slides each axis whose limits have opposite signs so that a grid line falls on 0.
    static IvChartRanges alignedToZero(const IvChartRanges& ranges);
    static int toPixel(double coordinate);

    const IvChartRanges& ranges() const { return ranges_; }
    double voltageSpan() const { return voltageSpan_; }
    double currentSpan() const { return currentSpan_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int plotWidth() const { return width_ - ivstyle::kPlotWidthCut; }
    int plotHeight() const { return height_ - ivstyle::kPlotHeightCut; }
    bool logScale() const { return logScale_; }

    // False when a span that point positions divide by is 0: the points are left out.
    bool pointsDrawable() const;
    bool cursorsDrawable() const { return voltageSpan_ != 0.0; }

    QPoint pointAt(float voltage, float current) const {
        return {pointX(voltage), pointY(current)};
    }
    int pointX(float voltage) const;
    int pointY(float current) const;
    // A number that orders currents as their heights on the chart do (higher or lower,
    // depending on the ranges, but never out of order), cheaper than the height itself.
    double heightKey(float current) const;
    int cursorX(float voltage) const;
    int gridX(int line) const;
    int linearGridY(int line) const;
    int decadeY(int decade) const;
    double voltageAtGridLine(int line) const;
    double currentAtGridLine(int line) const;

  private:
    int width_;
    int height_;
    IvChartRanges ranges_;
    double voltageSpan_;
    double currentSpan_;
    bool logScale_;
};

}  // namespace tarvix::series
