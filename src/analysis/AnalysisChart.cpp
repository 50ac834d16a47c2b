// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AnalysisChart.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <vector>

#include "series/ChartCanvas.h"
#include "series/ChartTicks.h"

namespace tarvix::analysis {

namespace {

using series::drawLabel;
using series::drawLine;

constexpr int kLeftMargin = 35;  // at least; wide Y labels widen it
constexpr int kBottomBand = 35;
constexpr int kGridIntervals = 16;
constexpr int kLowestDecade = -11;
constexpr int kHighestDecade = -1;
constexpr double kZeroTolerance = 1e-13;
constexpr double kMicro = 1e6;
// Far beyond any image; keeps pixel arithmetic in int range whatever the values.
constexpr double kPixelLimit = 1e6;

enum class Axes { Quantities, MeasuredCurrent };

int nint(double value) {
    if (std::isnan(value)) {
        return static_cast<int>(-kPixelLimit);
    }
    return static_cast<int>(std::nearbyint(std::clamp(value, -kPixelLimit, kPixelLimit)));
}

// Widens a range that straddles 0 so that a grid line falls on 0 and the whole range stays
// inside: of the ways to split the 16 intervals between the negative and the positive side,
// the one with the finest step.
void alignZero(double& low, double& high) {
    if (!(low * high < 0)) {
        return;
    }
    double bestStep = (high - low);
    int bestBelow = kGridIntervals / 2;
    for (int below = 1; below < kGridIntervals; ++below) {
        const double step = std::max(-low / below, high / (kGridIntervals - below));
        if (step < bestStep) {
            bestStep = step;
            bestBelow = below;
        }
    }
    low = -bestBelow * bestStep;
    high = (kGridIntervals - bestBelow) * bestStep;
}

struct Geometry {
    int width = 0;
    int height = 0;
    int left = kLeftMargin;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool logScale = false;

    double xSpan() const { return xMax - xMin; }
    double ySpan() const { return yMax - yMin; }
    int plotWidth() const { return width - left - 1; }
    int plotHeight() const { return height - 36; }
    int gridX(int k) const { return nint(double(k) * plotWidth() / kGridIntervals) + left; }
    int gridY(int k) const {
        return nint(double(kGridIntervals - k) * plotHeight() / kGridIntervals);
    }
    int decadeY(int e) const { return nint(double(-1 - e) * plotHeight() / 10); }

    // A zero span has nothing to scale by: its points sit on the middle grid line.
    double exactPixelX(double x) const {
        if (xSpan() == 0) {
            return gridX(kGridIntervals / 2);
        }
        return plotWidth() * (x - xMin) / xSpan() + left;
    }
    int pixelX(double x) const { return nint(exactPixelX(x)); }
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

struct TickLabel {
    int line;  // pixel of its grid line
    QString text;
};

std::vector<TickLabel> linearTicks(double low, double high, double factor, int minDecimals,
                                   const std::function<int(int)>& lineAt) {
    std::vector<double> values;
    for (int k = 0; k <= kGridIntervals; ++k) {
        values.push_back((low + k * (high - low) / kGridIntervals) * factor);
    }
    const QStringList texts = series::tickTexts(values, minDecimals);
    std::vector<TickLabel> ticks;
    for (int k = 0; k <= kGridIntervals; ++k) {
        ticks.push_back({lineAt(k), texts[k]});
    }
    return ticks;
}

std::vector<TickLabel> yTicks(const Geometry& g, Axes axes) {
    if (g.logScale) {
        std::vector<TickLabel> ticks;
        for (int e = kHighestDecade; e >= kLowestDecade; --e) {
            ticks.push_back({g.decadeY(e), QString::number(e)});
        }
        return ticks;
    }
    const double factor = axes == Axes::MeasuredCurrent ? kMicro : 1.0;
    const int decimals = axes == Axes::MeasuredCurrent ? 3 : 2;
    std::vector<TickLabel> ticks =
        linearTicks(g.yMin, g.yMax, factor, decimals, [&g](int k) { return g.gridY(k); });
    std::reverse(ticks.begin(), ticks.end());  // top first
    return ticks;
}

int widestText(const std::vector<TickLabel>& ticks) {
    int widest = 0;
    for (const TickLabel& tick : ticks) {
        widest = std::max(widest, series::labelBox({0, 0}, tick.text).width());
    }
    return widest;
}

// Labels every `stride`-th tick so that no two boxes overlap; each box is placed by `place`.
void drawTickLabels(QImage& image, const std::vector<TickLabel>& ticks,
                    const std::function<QRect(const TickLabel&)>& place) {
    std::vector<QRect> boxes;
    for (const TickLabel& tick : ticks) {
        boxes.push_back(place(tick));
    }
    const int stride = series::labelStride(boxes);
    for (std::size_t k = 0; k < ticks.size(); k += static_cast<std::size_t>(stride)) {
        drawLabel(image, boxes[k].left(), boxes[k].top(), ticks[k].text);
    }
}

// Y labels right-aligned in the margin and centred on their lines (the top one below its
// line, the bottom one above it); X labels centred under their lines, inside the image.
void drawTicks(QImage& image, const Geometry& g, const std::vector<TickLabel>& yLabels) {
    drawTickLabels(image, yLabels, [&g](const TickLabel& tick) {
        QRect box = series::labelBox({0, 0}, tick.text);
        const int top = std::clamp(tick.line - box.height() / 2, 0, g.plotHeight() - box.height());
        box.moveTo(std::max(0, g.left - 3 - box.width()), top);
        return box;
    });
    const std::vector<TickLabel> xLabels =
        linearTicks(g.xMin, g.xMax, 1.0, 2, [&g](int k) { return g.gridX(k); });
    drawTickLabels(image, xLabels, [&g](const TickLabel& tick) {
        QRect box = series::labelBox({0, 0}, tick.text);
        box.moveTo(std::clamp(tick.line - box.width() / 2, 0, g.width - box.width()),
                   g.height - 30);
        return box;
    });
}

void drawGrid(QImage& image, const Geometry& g) {
    for (int k = 0; k <= kGridIntervals; ++k) {
        const int x = g.gridX(k);
        drawLine(image, x, 0, x, g.height - kBottomBand,
                 gridColour(g.xMin + k * g.xSpan() / kGridIntervals));
    }
    if (g.logScale) {
        for (int e = kLowestDecade; e <= kHighestDecade; ++e) {
            drawLine(image, g.left, g.decadeY(e), g.width, g.decadeY(e), series::kWhite);
        }
        return;
    }
    for (int k = 0; k <= kGridIntervals; ++k) {
        drawLine(image, g.left, g.gridY(k), g.width, g.gridY(k),
                 gridColour(g.yMin + k * g.ySpan() / kGridIntervals));
    }
}

QString caption(const AnalysisChartFrame& frame, bool logScale) {
    const QString y = logScale ? QStringLiteral("A") : frame.yCaption;
    return y + QStringLiteral("; ") + frame.xCaption;
}

Geometry drawFrame(QImage& image, const AnalysisChartFrame& frame, Axes axes) {
    Geometry g;
    g.width = image.width();
    g.height = image.height();
    g.xMin = frame.xMin;
    g.xMax = frame.xMax;
    g.yMin = frame.yMin;
    g.yMax = frame.yMax;
    g.logScale = axes == Axes::MeasuredCurrent && frame.logScale;
    alignZero(g.xMin, g.xMax);
    alignZero(g.yMin, g.yMax);
    const std::vector<TickLabel> yLabels = yTicks(g, axes);
    g.left = std::max(kLeftMargin, widestText(yLabels) + 5);
    series::fillImage(image, series::kLime);
    drawGrid(image, g);
    drawTicks(image, g, yLabels);
    drawLabel(image, 0, g.height - 15, caption(frame, g.logScale));
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

// Across the plot, from its left edge at xMin to its right edge at xMax.
void drawFittedLine(QImage& image, const Geometry& g, const LineFit& line, QRgb colour) {
    if (!line.defined) {
        return;
    }
    drawLineClipped(image, g.gridX(0), std::nearbyint(g.exactPixelY(line.at(g.xMin))),
                    g.gridX(kGridIntervals) + 1, std::nearbyint(g.exactPixelY(line.at(g.xMax))),
                    colour);
}

}  // namespace

void drawLinearizedChart(QImage& image, const AnalysisChartFrame& frame, std::span<const double> x,
                         std::span<const double> y, QRgb colour, const LineFit& line,
                         const MarkerFlash& flash) {
    const Geometry g = drawFrame(image, frame, Axes::Quantities);
    drawPoints(image, g, x, y, colour, flash);
    drawFittedLine(image, g, line, colour);
}

void drawInitialChart(QImage& image, const AnalysisChartFrame& frame, std::span<const double> x,
                      std::span<const double> y, QRgb colour, const MarkerFlash& flash) {
    const Geometry g = drawFrame(image, frame, Axes::MeasuredCurrent);
    drawPoints(image, g, x, y, colour, flash);
}

}  // namespace tarvix::analysis
