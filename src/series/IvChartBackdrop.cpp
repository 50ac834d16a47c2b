// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/IvChartBackdrop.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "series/ChartCanvas.h"
#include "series/ChartTicks.h"
#include "series/IvChartStyle.h"
#include "text/NumberText.h"

namespace tarvix::series {

using namespace ivstyle;

namespace {

QRgb gridColour(double valueAtLine) {
    return std::fabs(valueAtLine) < kZeroLineTolerance ? kZeroLineColour : kGridColour;
}

void drawGrid(QImage& image, const IvChartGeometry& g) {
    const int width = g.width();
    const int height = g.height();
    for (int i = 0; i <= kGridIntervals; ++i) {
        const int x = g.gridX(i);
        drawLine(image, x, 0, x, height - kBottomBand, gridColour(g.voltageAtGridLine(i)));
    }
    if (g.logScale()) {
        for (int decade = kLowestDecade; decade <= 0; ++decade) {
            const int y = g.decadeY(decade);
            drawLine(image, kLeftMargin, y, width - kRightMargin, y, kGridColour);
        }
        return;
    }
    for (int i = 0; i <= kGridIntervals; ++i) {
        const int y = g.linearGridY(i);
        drawLine(image, kLeftMargin, y, width - kRightMargin, y,
                 gridColour(g.currentAtGridLine(i)));
    }
}

void drawCursorLine(QImage& image, const IvChartGeometry& g, float voltage) {
    const int x = g.cursorX(voltage);
    drawLine(image, x, 0, x, kCursorLineEnd, kCursorColour);
}

void drawCursors(QImage& image, const IvChartGeometry& g, const IvChartOptions& options) {
    if (!g.cursorsDrawable()) {
        return;
    }
    if (options.manualVoltage != 0.0f) {
        drawCursorLine(image, g, options.manualVoltage);
    }
    if (options.cursorLineShown) {
        drawCursorLine(image, g, options.cursorVoltage);
    }
}

// Neighbouring ticks get the digits that tell them apart; a label that would touch the one
// before is left out, every other one (or more) alike.
void drawVoltageTicks(QImage& image, const IvChartGeometry& g) {
    std::vector<double> volts;
    for (int i = 0; i <= kGridIntervals; ++i) {
        volts.push_back(g.voltageAtGridLine(i));
    }
    const QStringList texts = tickTexts(volts, 2);
    std::vector<QRect> boxes;
    for (int i = 0; i <= kGridIntervals; ++i) {
        boxes.push_back(labelBox({g.gridX(i) - kTickLabelInset, g.height() - kTickLabelRise},
                                 texts[i].rightJustified(3)));
    }
    const int stride = labelStride(boxes);
    for (int i = 0; i <= kGridIntervals; i += stride) {
        drawLabel(image, boxes[static_cast<size_t>(i)].left(), boxes[static_cast<size_t>(i)].top(),
                  texts[i].rightJustified(3));
    }
}

void drawLogLabels(QImage& image, const IvChartGeometry& g, const QString& xLabel) {
    const int height = g.height();
    for (int decade = kLowestDecade; decade <= 0; ++decade) {
        const double y = std::fabs((0 - decade) * kDecadeLabelScale * height / (-kLowestDecade));
        drawLabel(image, 0, IvChartGeometry::toPixel(y), QString::number(decade));
    }
    drawVoltageTicks(image, g);
    drawLabel(image, 0, height - kCaptionRise, QStringLiteral("A; ") + xLabel);
}

void drawLinearLabels(QImage& image, const IvChartGeometry& g, const QString& yLabel,
                      const QString& xLabel) {
    const int height = g.height();
    std::vector<double> microamperes;
    for (int i = 0; i <= kGridIntervals; ++i) {
        microamperes.push_back(g.currentAtGridLine(kGridIntervals - i) * kMicroamperesPerAmpere);
    }
    const QStringList texts = tickTexts(microamperes, 3);
    // The lowest label would sit on the voltage labels' row: it stays just above it.
    const int lowest = height - kTickLabelRise - labelBox({0, 0}, texts.back()).height() - 1;
    for (int i = 0; i <= kGridIntervals; ++i) {
        const int y = IvChartGeometry::toPixel(i * height / kCurrentLabelPitch);
        drawLabel(image, 0, std::min(y, lowest), texts[i]);
    }
    drawVoltageTicks(image, g);
    drawLabel(image, 0, height - kCaptionRise, yLabel + QStringLiteral("; ") + xLabel);
}

}  // namespace

void IvChartBackdrop::draw(QImage& image, const IvChartGeometry& geometry,
                           const IvChartOptions& options, const QString& yLabel,
                           const QString& xLabel) {
    image.fill(kBackgroundColour);
    mirrorFill(kBackgroundColour);
    drawGrid(image, geometry);
    drawCursors(image, geometry, options);
    if (geometry.logScale()) {
        drawLogLabels(image, geometry, xLabel);
    } else {
        drawLinearLabels(image, geometry, yLabel, xLabel);
    }
}

// Numbers compare bit for bit: -0 and 0 give different tick texts, and a NaN still matches
// itself.
bool IvChartBackdrop::Key::operator==(const Key& other) const {
    return width == other.width && height == other.height && sameRanges(ranges, other.ranges) &&
           logScale == other.logScale &&
           std::bit_cast<std::uint32_t>(manualVoltage) ==
               std::bit_cast<std::uint32_t>(other.manualVoltage) &&
           std::bit_cast<std::uint32_t>(cursorVoltage) ==
               std::bit_cast<std::uint32_t>(other.cursorVoltage) &&
           cursorLineShown == other.cursorLineShown && yLabel == other.yLabel &&
           xLabel == other.xLabel;
}

const QImage& IvChartBackdrop::image(const IvChartGeometry& geometry, const IvChartOptions& options,
                                     const QString& yLabel, const QString& xLabel) {
    const Key key{geometry.width(),
                  geometry.height(),
                  geometry.ranges(),
                  geometry.logScale(),
                  options.manualVoltage,
                  options.cursorVoltage,
                  options.cursorLineShown,
                  yLabel,
                  xLabel};
    if (!valid_ || !(key == key_)) {
        if (image_.size() != QSize(key.width, key.height)) {
            image_ = makeChartImage(key.width, key.height);
        }
        draw(image_, geometry, options, yLabel, xLabel);
        key_ = key;
        valid_ = true;
        ++generation_;
    }
    return image_;
}

}  // namespace tarvix::series
