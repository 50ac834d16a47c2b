#include "analysis/AnalysisChart.h"

#include <algorithm>
#include <cmath>

#include "series/ChartCanvas.h"
#include "text/NumberText.h"

namespace tarvix::analysis {

namespace {

using series::drawLabel;
using series::drawLine;

constexpr int kLeftMargin = 35;
constexpr int kBottomBand = 35;
constexpr int kGridIntervals = 16;
constexpr int kLowestDecade = -11;
constexpr int kHighestDecade = -1;
constexpr double kZeroTolerance = 1e-13;
// Far beyond any image; keeps pixel arithmetic in int range whatever the values.
constexpr double kPixelLimit = 1e6;

int nint(double value) {
    if (std::isnan(value)) {
        return static_cast<int>(-kPixelLimit);
    }
    return static_cast<int>(std::nearbyint(std::clamp(value, -kPixelLimit, kPixelLimit)));
}

// Slides the window so that a grid line falls on 0 when the range straddles it.
void alignZero(double& low, double& high) {
    if (low * high < 0) {
        const double step = (high - low) / kGridIntervals;
        const double k = std::trunc(high / step);
        const double offset = high - k * step;
        low -= offset;
        high -= offset;
    }
}

struct Geometry {
    int width = 0;
    int height = 0;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool logScale = false;

    double xSpan() const { return xMax - xMin; }
    double ySpan() const { return yMax - yMin; }
    int plotWidth() const { return width - 36; }
    int plotHeight() const { return height - 36; }
    int gridX(int k) const { return nint(double(k) * plotWidth() / kGridIntervals) + kLeftMargin; }

    // A zero span has nothing to scale by: its points sit on the middle grid line.
    int pixelX(double x) const {
        if (xSpan() == 0) {
            return gridX(kGridIntervals / 2);
        }
        return nint(plotWidth() * (x - xMin) / xSpan() + kLeftMargin);
    }
    double exactPixelY(double y) const {
        if (logScale) {
            const double decade = y == 0 ? double(kLowestDecade) : std::log10(std::abs(y));
            return plotHeight() * (decade + 1) / -10.0;
        }
        if (ySpan() == 0) {
            return double(kGridIntervals / 2) * plotHeight() / kGridIntervals;
        }
        return plotHeight() * (yMax - y) / ySpan();
    }
    int pixelY(double y) const { return nint(exactPixelY(y)); }
};

QRgb gridColour(double value) {
    return std::abs(value) < kZeroTolerance ? series::kRed : series::kWhite;
}

void drawGrid(QImage& image, const Geometry& g) {
    for (int k = 0; k <= kGridIntervals; ++k) {
        const int x = g.gridX(k);
        drawLine(image, x, 0, x, g.height - kBottomBand,
                 gridColour(g.xMin + k * g.xSpan() / kGridIntervals));
    }
    if (g.logScale) {
        for (int e = kLowestDecade; e <= kHighestDecade; ++e) {
            const int y = nint(double(-1 - e) * g.plotHeight() / 10);
            drawLine(image, kLeftMargin, y, g.width, y, series::kWhite);
        }
        return;
    }
    for (int k = 0; k <= kGridIntervals; ++k) {
        const int y = nint(double(kGridIntervals - k) * g.plotHeight() / kGridIntervals);
        drawLine(image, kLeftMargin, y, g.width, y,
                 gridColour(g.yMin + k * g.ySpan() / kGridIntervals));
    }
}

void drawTicks(QImage& image, const Geometry& g, const AnalysisChartFrame& frame) {
    for (int k = 0; k <= kGridIntervals; ++k) {
        drawLabel(image, g.gridX(k) - 5, g.height - 30,
                  text::fixedText(g.xMin + k * g.xSpan() / kGridIntervals, 3, 2));
    }
    if (g.logScale) {
        for (int e = kLowestDecade; e <= kHighestDecade; ++e) {
            drawLabel(image, 0, nint(std::abs(double(-1 - e) * 0.9 * g.height / 10)),
                      QString::number(e));
        }
        drawLabel(image, 0, g.height - 15, QStringLiteral("A; ") + frame.xCaption);
        return;
    }
    for (int k = 0; k <= kGridIntervals; ++k) {
        const double value = g.yMin + (kGridIntervals - k) * g.ySpan() / kGridIntervals;
        drawLabel(image, 0, nint(k * g.height / 17.5), text::fixedText(value * 1e6, 1, 3));
    }
    drawLabel(image, 0, g.height - 15, frame.yCaption + QStringLiteral("; ") + frame.xCaption);
}

Geometry drawFrame(QImage& image, const AnalysisChartFrame& frame) {
    Geometry g;
    g.width = image.width();
    g.height = image.height();
    g.xMin = frame.xMin;
    g.xMax = frame.xMax;
    g.yMin = frame.yMin;
    g.yMax = frame.yMax;
    g.logScale = frame.logScale;
    alignZero(g.xMin, g.xMax);
    alignZero(g.yMin, g.yMax);
    series::fillImage(image, series::kLime);
    drawGrid(image, g);
    drawTicks(image, g, frame);
    return g;
}

void drawPoints(QImage& image, const Geometry& g, std::span<const double> x,
                std::span<const double> y, QRgb colour, const MarkerFlash& flash) {
    const std::size_t n = std::min(x.size(), y.size());
    for (std::size_t k = 0; k < n; ++k) {
        const int px = g.pixelX(x[k]);
        const int py = g.pixelY(y[k]);
        series::plotFivePixels(image, px, py, colour);
        if (flash) {
            series::invertMarker(image, px, py);
            flash();
            series::invertMarker(image, px, py);
        }
    }
}

// A line between points that may lie far outside the image: clipped to a box around it in
// real coordinates first, so that rounding to pixels cannot bend it.
void drawLineClipped(QImage& image, double x0, double y0, double x1, double y1, QRgb colour) {
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
        return;
    }
    const double low = -4.0 * (image.width() + image.height());
    const double high = -low;
    double t0 = 0;
    double t1 = 1;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {x0 - low, high - x0, y0 - low, high - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
    }
    if (t0 > t1) {
        return;
    }
    drawLine(image, nint(x0 + t0 * dx), nint(y0 + t0 * dy), nint(x0 + t1 * dx), nint(y0 + t1 * dy),
             colour);
}

void drawFittedLine(QImage& image, const Geometry& g, const LineFit& line, QRgb colour) {
    if (!line.defined) {
        return;
    }
    if (!g.logScale) {
        // From the left edge of the plot at xMin to the right edge of the image at xMax.
        drawLineClipped(image, kLeftMargin, std::nearbyint(g.exactPixelY(line.at(g.xMin))), g.width,
                        std::nearbyint(g.exactPixelY(line.at(g.xMax))), colour);
        return;
    }
    // Decades of |Y| are not linear in X: follow the line column by column.
    const int lastColumn = kLeftMargin + g.plotWidth();
    double previousY = 0;
    for (int column = kLeftMargin; column <= lastColumn; ++column) {
        const double x = g.xMin + double(column - kLeftMargin) * g.xSpan() / g.plotWidth();
        const double pixelY = std::nearbyint(g.exactPixelY(line.at(x)));
        if (column > kLeftMargin) {
            drawLineClipped(image, column - 1, previousY, column, pixelY, colour);
        }
        previousY = pixelY;
    }
    series::setPixelClipped(image, lastColumn, nint(previousY), colour);
}

}  // namespace

void drawLinearizedChart(QImage& image, const AnalysisChartFrame& frame, std::span<const double> x,
                         std::span<const double> y, QRgb colour, const LineFit& line,
                         const MarkerFlash& flash) {
    const Geometry g = drawFrame(image, frame);
    drawPoints(image, g, x, y, colour, flash);
    drawFittedLine(image, g, line, colour);
}

void drawInitialChart(QImage& image, const AnalysisChartFrame& frame, std::span<const double> x,
                      std::span<const double> y, QRgb colour, const MarkerFlash& flash) {
    const Geometry g = drawFrame(image, frame);
    drawPoints(image, g, x, y, colour, flash);
}

}  // namespace tarvix::analysis
