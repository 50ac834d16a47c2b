// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/FrequencyChart.h"

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "lcr/FrequencyView.h"
#include "lcr/SplitDecade.h"
#include "series/ChartCanvas.h"
#include "series/ChartTicks.h"
#include "text/NumberText.h"

namespace tarvix::lcr {

namespace {

using series::kLime;
using series::kRed;
using series::kYellow;

constexpr int kLeftMargin = 75;
constexpr int kRightMargin = 85;
constexpr int kTopMargin = 10;
constexpr int kBottomMargin = 40;
constexpr int kDivisions = 8;
constexpr double kZeroLine = 1e-13;
// Points further than this outside the image are not drawn, and lines to them are cut here,
// so that a stray value cannot make a line walk for millions of pixels.
constexpr double kFarMargin = 1000;
constexpr double kCoordinateLimit = 1e15;

int roundPixel(double value) {
    return static_cast<int>(text::roundHalfEven(value));
}

struct Limits {
    double yMin;
    double yMax;
    double xMin;
    double xMax;
    double deltaY;
    double deltaX;
    // Only for a logarithmic axis whose limits are both positive.
    std::optional<double> logXMin;
    std::optional<double> deltaL;
};

// The limit rounded to four significant figures, away from the data when rounding would cut
// the extreme point off the frame: 1.23449 as an upper limit becomes 1.235.
double tidyOutward(double value, bool upper) {
    const double tidy = tidyToDecade(value, 2, 3);
    if (!std::isfinite(value) || (upper ? tidy >= value : tidy <= value)) {
        return tidy;
    }
    const double lastFigure = scaleByDecade(0.001, splitDecade(value, 2, 3).exponent);
    return tidyToDecade(upper ? tidy + lastFigure : tidy - lastFigure, 2, 3);
}

Limits tidyLimits(double yMin, double yMax, double xMin, double xMax, bool logX) {
    Limits limits{};
    limits.yMax = tidyOutward(yMax, true);
    limits.yMin = tidyOutward(yMin, false);
    limits.xMax = tidyOutward(xMax, true);
    limits.xMin = tidyOutward(xMin, false);
    if (limits.yMax == limits.yMin) {
        limits.yMax += std::fabs(limits.yMax * 0.01);
        limits.yMin -= std::fabs(limits.yMin * 0.01);
    }
    limits.deltaY = limits.yMax - limits.yMin;
    limits.deltaX = limits.xMax - limits.xMin;
    if (logX && limits.xMin > 0 && limits.xMax > 0) {
        limits.logXMin = std::log10(limits.xMin);
        limits.deltaL = std::log10(limits.xMax) - *limits.logXMin;
    }
    return limits;
}

class Frame {
  public:
    Frame(int width, int height)
        : width_(width),
          height_(height),
          plotWidth_(width_ - kLeftMargin - kRightMargin),
          plotHeight_(height_ - kTopMargin - kBottomMargin) {}

    int width() const { return width_; }
    int height() const { return height_; }
    double plotWidth() const { return plotWidth_; }
    double plotHeight() const { return plotHeight_; }
    int gridX(int i) const { return roundPixel(i * plotWidth_ / kDivisions) + kLeftMargin; }
    int gridY(int i) const {
        return roundPixel((kDivisions - i) * plotHeight_ / kDivisions) + kTopMargin;
    }
    QRectF reach() const {
        return QRectF(-kFarMargin, -kFarMargin, width_ + 2 * kFarMargin, height_ + 2 * kFarMargin);
    }

  private:
    int width_;
    int height_;
    double plotWidth_;
    double plotHeight_;
};

void drawGrid(QImage& image, const Frame& frame, const Limits& limits) {
    for (int i = 0; i <= kDivisions; ++i) {
        const int x = frame.gridX(i);
        const bool zero = std::fabs(limits.xMin + i * limits.deltaX / kDivisions) < kZeroLine;
        series::drawLine(image, x, kTopMargin, x, frame.height() - kBottomMargin,
                         zero ? kRed : kYellow);
    }
    for (int i = 0; i <= kDivisions; ++i) {
        const int y = frame.gridY(i);
        const bool zero = std::fabs(limits.yMin + i * limits.deltaY / kDivisions) < kZeroLine;
        series::drawLine(image, kLeftMargin, y, frame.width() - kRightMargin, y,
                         zero ? kRed : kYellow);
    }
}

constexpr int kMostDecimals = 9;
constexpr int kExponentRise = 4;
constexpr int kExponentGap = 2;
constexpr int kLabelGap = 3;

int textWidth(const QString& text) {
    return series::labelBox({0, 0}, text, /*bold=*/true).width();
}

// The splits of the values with as many mantissa decimals (from `fewest`) as it takes for no
// two neighbours to read the same.
std::vector<DecadeSplit> distinctSplits(const std::vector<double>& values, int fewest) {
    // Equal values read the same however many digits they get.
    const bool flat =
        std::adjacent_find(values.begin(), values.end(), std::not_equal_to<>()) == values.end();
    std::vector<DecadeSplit> splits;
    for (int decimals = fewest; decimals <= (flat ? fewest : kMostDecimals); ++decimals) {
        splits.clear();
        bool distinct = true;
        for (double value : values) {
            splits.push_back(splitDecade(value, 2, decimals));
            const DecadeSplit& last = splits.back();
            if (splits.size() > 1) {
                const DecadeSplit& before = splits[splits.size() - 2];
                distinct = distinct &&
                           (last.mantissa != before.mantissa || last.exponent != before.exponent);
            }
        }
        if (distinct) {
            break;
        }
    }
    return splits;
}

// A label and its raised exponent, the exponent set right after the label's text.
struct DecadeLabel {
    QString text;
    QString exponent;

    int width() const { return textWidth(text) + kExponentGap + textWidth(exponent); }
    void addAt(std::vector<ChartText>& texts, QPoint at) const {
        texts.push_back({at, text});
        texts.push_back({at + QPoint(textWidth(text) + kExponentGap, -kExponentRise), exponent});
    }
};

DecadeLabel decadeLabel(const DecadeSplit& split) {
    return {split.mantissa + QStringLiteral("*10"), QString::number(split.exponent)};
}

std::vector<double> axisValues(double low, double delta) {
    std::vector<double> values;
    for (int i = 0; i <= kDivisions; ++i) {
        values.push_back(low + i * delta / kDivisions);
    }
    return values;
}

// Right-aligned in the left margin, level with their grid lines.
void addVerticalLabels(std::vector<ChartText>& texts, const Frame& frame, const Limits& limits) {
    std::vector<double> values = axisValues(limits.yMin, limits.deltaY);
    std::reverse(values.begin(), values.end());  // top first
    const std::vector<DecadeSplit> splits = distinctSplits(values, 3);
    for (int i = 0; i <= kDivisions; ++i) {
        const DecadeLabel label = decadeLabel(splits[static_cast<size_t>(i)]);
        const double top = i * frame.plotHeight() / kDivisions + kTopMargin - 5;
        const int left = std::max(0, kLeftMargin - kLabelGap - label.width());
        label.addAt(texts, QPoint(left, roundPixel(top)));
    }
}

// Under their grid lines; every second (fourth...) one when they would touch.
void addHorizontalLabels(std::vector<ChartText>& texts, const Frame& frame, const Limits& limits,
                         bool logX) {
    std::vector<DecadeLabel> labels;
    if (!logX) {
        for (const DecadeSplit& split : distinctSplits(axisValues(limits.xMin, limits.deltaX), 1)) {
            labels.push_back(decadeLabel(split));
        }
    } else if (limits.logXMin) {
        const std::vector<double> exponents = axisValues(*limits.logXMin, *limits.deltaL);
        for (const QString& exponent : series::tickTexts(exponents, 2)) {
            labels.push_back({QStringLiteral("10"), exponent});
        }
    }
    const int labelY = frame.height() - 35;
    std::vector<QRect> boxes;
    for (size_t i = 0; i < labels.size(); ++i) {
        boxes.emplace_back(frame.gridX(static_cast<int>(i)), labelY, labels[i].width(), 1);
    }
    const size_t stride = static_cast<size_t>(series::labelStride(boxes));
    for (size_t i = 0; i < labels.size(); i += stride) {
        labels[i].addAt(texts, QPoint(frame.gridX(static_cast<int>(i)), labelY));
    }
}

std::vector<ChartText> chartTexts(const Frame& frame, const Limits& limits, const QString& yText,
                                  const QString& xText, bool logX) {
    std::vector<ChartText> texts;
    addVerticalLabels(texts, frame, limits);
    addHorizontalLabels(texts, frame, limits, logX);
    texts.push_back({QPoint(0, frame.height() - 15), yText + QStringLiteral("; ") + xText});
    return texts;
}

// Pixel position of a point, or nothing where the axes cannot place it.
std::optional<QPointF> placePoint(const Frame& frame, const Limits& limits, bool logX, double x,
                                  double y) {
    if (limits.deltaY == 0) {
        return std::nullopt;
    }
    double column = 0;
    if (logX) {
        if (!limits.logXMin || *limits.deltaL == 0 || !(x > 0)) {
            return std::nullopt;
        }
        column =
            frame.plotWidth() * (std::log10(x) - *limits.logXMin) / *limits.deltaL + kLeftMargin;
    } else {
        if (limits.deltaX == 0) {
            return std::nullopt;
        }
        column = frame.plotWidth() * (x - limits.xMin) / limits.deltaX + kLeftMargin;
    }
    const double row = frame.plotHeight() * (limits.yMax - y) / limits.deltaY + kTopMargin;
    if (!std::isfinite(column) || !std::isfinite(row)) {
        return std::nullopt;
    }
    return QPointF(std::clamp(std::nearbyint(column), -kCoordinateLimit, kCoordinateLimit),
                   std::clamp(std::nearbyint(row), -kCoordinateLimit, kCoordinateLimit));
}

// Liang-Barsky: cuts the segment a-b to `box`; false when nothing of it lies inside.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& box) {
    const QPointF d = b - a;
    double enter = 0;
    double leave = 1;
    const auto edge = [&](double p, double q) {
        if (p == 0) {
            return q >= 0;
        }
        const double r = q / p;
        if (p < 0) {
            enter = std::max(enter, r);
        } else {
            leave = std::min(leave, r);
        }
        return enter <= leave;
    };
    if (!edge(-d.x(), a.x() - box.left()) || !edge(d.x(), box.right() - a.x()) ||
        !edge(-d.y(), a.y() - box.top()) || !edge(d.y(), box.bottom() - a.y())) {
        return false;
    }
    b = a + leave * d;
    a = a + enter * d;
    return true;
}

void drawSegment(QImage& image, const Frame& frame, QPointF a, QPointF b) {
    const QRectF reach = frame.reach();
    if (!reach.contains(a) || !reach.contains(b)) {
        if (!clipSegment(a, b, reach)) {
            return;
        }
    }
    series::drawLine(image, roundPixel(a.x()), roundPixel(a.y()), roundPixel(b.x()),
                     roundPixel(b.y()), kRed);
}

void drawPoints(QImage& image, const Frame& frame, const Limits& limits, const PlotSet& plot,
                int count, const ChartOptions& options) {
    std::optional<QPointF> previous;
    for (int k = 1; k <= count; ++k) {
        const auto at = static_cast<size_t>(k);
        const std::optional<QPointF> point =
            placePoint(frame, limits, options.logX, plot.plotX[at], plot.plotY[at]);
        if (!point) {
            previous.reset();
            continue;
        }
        const bool near = frame.reach().contains(*point);
        const int x = near ? roundPixel(point->x()) : 0;
        const int y = near ? roundPixel(point->y()) : 0;
        if (near) {
            series::plotFivePixels(image, x, y, kRed);
        }
        if (options.lines && previous) {
            drawSegment(image, frame, *previous, *point);
        }
        if (near) {
            series::setPixelClipped(image, x - 2, y, kRed);
            series::setPixelClipped(image, x + 2, y, kRed);
            series::setPixelClipped(image, x, y + 2, kRed);
            series::setPixelClipped(image, x, y - 2, kRed);
        }
        previous = point;
    }
}

}  // namespace

std::vector<ChartText> frequencyChartTexts(int width, int height, const QString& yText,
                                           const QString& xText, double yMin, double yMax,
                                           double xMin, double xMax, bool logX) {
    return chartTexts(Frame(width, height), tidyLimits(yMin, yMax, xMin, xMax, logX), yText, xText,
                      logX);
}

void drawFrequencyChart(QImage& image, const QString& yText, const QString& xText, double yMin,
                        double yMax, double xMin, double xMax, const PlotSet& plot, int count,
                        const ChartOptions& options) {
    const Frame frame(image.width(), image.height());
    const Limits limits = tidyLimits(yMin, yMax, xMin, xMax, options.logX);
    series::fillImage(image, kLime);
    drawGrid(image, frame, limits);
    for (const ChartText& label : chartTexts(frame, limits, yText, xText, options.logX)) {
        series::drawLabel(image, label.at.x(), label.at.y(), label.text, /*bold=*/true,
                          /*opaque=*/false);
    }
    drawPoints(image, frame, limits, plot, std::clamp(count, 0, kSweepCapacity), options);
}

}  // namespace tarvix::lcr
