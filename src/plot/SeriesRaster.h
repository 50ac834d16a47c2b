// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>

#include "plot/PlotAxis.h"
#include "plot/PlotSeries.h"

namespace tarvix::plot {

// Draws series as one-pixel lines straight into a 32-bit image, at the image's resolution:
// of consecutive points that fall into one pixel column only the first, the last, the
// highest and the lowest decide what is drawn (series::PixelColumnRun): the column between
// the lowest and the highest, and the lines from the column before and to the next. That
// sets the same pixels as joining every point, at a cost that follows the number of points
// and columns rather than the lines a painter would stroke. A point the axes cannot show
// (NaN, or <= 0 on a log axis) breaks the line.
class SeriesRaster {
  public:
    // The axis maps give pixel indices of `target` (the centre of pixel k at k); nothing is
    // drawn outside it. Under `Cover::Keep` a pixel already drawn stays: series drawn from
    // the last to the first then show as if drawn from the first to the last.
    enum class Cover { Over, Keep };
    SeriesRaster(QImage& target, const AxisMap& x, const AxisMap& y, Cover cover = Cover::Over);

    void drawSegment(const PlotSegment& segment, QRgb colour);
    void drawSeries(const PlotSeries& series, QRgb colour);

    // log10 of a positive float to about 2e-7, without a call into the maths library; the
    // heights of a log axis need no more.
    static double fastLog10(float value);

  private:
    template <bool LogX, bool LogY, bool Magnitude>
    void drawSegmentAs(const PlotSegment& segment, QRgb colour);
    void line(QPoint from, QPoint to, QRgb colour);
    void column(int x, int y0, int y1, QRgb colour);
    void set(int x, int y, QRgb colour) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) {
            put(pixels_[y * stride_ + x], colour);
        }
    }
    void put(QRgb& pixel, QRgb colour) const {
        if (!keep_ || pixel == 0) {
            pixel = colour;
        }
    }

    const AxisMap& x_;
    const AxisMap& y_;
    QRgb* pixels_;
    int width_;
    int height_;
    qsizetype stride_;
    bool keep_;
};

}  // namespace tarvix::plot
