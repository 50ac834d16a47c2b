// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/TemperatureChart.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "series/ChartCanvas.h"
#include "series/ChartTicks.h"
#include "text/NumberText.h"

namespace tarvix::thermo {

namespace {

using series::kBlack;
using series::kLime;
using series::kRed;
using series::kWhite;

int rounded(double value) {
    return static_cast<int>(text::roundHalfEven(value));
}

// A point's pixel coordinate, or nothing when it is so far off the bitmap (or not a number)
// that it cannot be drawn; keeps the rounding within int.
std::optional<int> pixelCoordinate(double value) {
    constexpr double kFarOff = 1e6;
    if (!std::isfinite(value) || std::fabs(value) > kFarOff) {
        return std::nullopt;
    }
    return rounded(value);
}

QRgb gridPen(double value) {
    return value == 0.0 ? kRed : kWhite;
}

void drawGrid(QImage& image, double yMin, double yMax, double xMin, double xMax) {
    const int width = image.width();
    const int height = image.height();
    for (int i = 0; i <= 8; ++i) {
        const int x = rounded(i * (width - 36) / 8.0) + 35;
        series::drawLine(image, x, 0, x, height - 35, gridPen(xMin + i * (xMax - xMin) / 8));
    }
    for (int i = 0; i <= 8; ++i) {
        const int y = rounded(i * (height - 36) / 8.0);
        series::drawLine(image, 35, y, width, y, gridPen(yMin + (8 - i) * (yMax - yMin) / 8));
    }
}

std::vector<double> gridValues(double low, double high) {
    std::vector<double> values;
    for (int i = 0; i <= 8; ++i) {
        values.push_back(low + i * (high - low) / 8);
    }
    return values;
}

// Labels every `stride`-th box so that none overlaps the one before.
void drawSpacedLabels(QImage& image, const QStringList& texts, const std::vector<QRect>& boxes) {
    const int stride = series::labelStride(boxes);
    for (size_t i = 0; i < boxes.size(); i += static_cast<size_t>(stride)) {
        series::drawLabel(image, boxes[i].left(), boxes[i].top(), texts[static_cast<int>(i)]);
    }
}

// Each label on its grid line: the resistances level with their lines (the top one below
// its line, the bottom one above it, clear of the temperatures), the temperatures centred
// under theirs.
void drawLabels(QImage& image, const QString& yText, const QString& xText, double yMin, double yMax,
                double xMin, double xMax) {
    const int width = image.width();
    const int height = image.height();
    std::vector<double> resistances = gridValues(yMin, yMax);
    std::reverse(resistances.begin(), resistances.end());  // top first
    const QStringList yTexts = series::tickTexts(resistances, 2);
    std::vector<QRect> yBoxes;
    for (int i = 0; i <= 8; ++i) {
        QRect box = series::labelBox({0, 0}, yTexts[i]);
        const int line = rounded(i * (height - 36) / 8.0);
        box.moveTop(std::clamp(line - box.height() / 2, 0, height - 36 - box.height()));
        yBoxes.push_back(box);
    }
    drawSpacedLabels(image, yTexts, yBoxes);
    const QStringList xTexts = series::tickTexts(gridValues(xMin, xMax), 1);
    std::vector<QRect> xBoxes;
    for (int i = 0; i <= 8; ++i) {
        QRect box = series::labelBox({0, 0}, xTexts[i]);
        const int line = rounded(i * (width - 36) / 8.0) + 35;
        box.moveTo(std::clamp(line - box.width() / 2, 0, width - box.width()), height - 30);
        xBoxes.push_back(box);
    }
    drawSpacedLabels(image, xTexts, xBoxes);
    series::drawLabel(image, 0, height - 15, yText + QStringLiteral("; ") + xText);
}

void drawPoints(QImage& image, double yMax, double yRange, double xMin, double xRange,
                const ThermoRecord& record) {
    const int width = image.width();
    const int height = image.height();
    for (int k = 1; k <= record.thermoCount && k <= ThermoRecord::kMaxSamples; ++k) {
        const auto x = pixelCoordinate((width - 36) * (record.thermoTemp[k] - xMin) / xRange + 35);
        const auto y =
            pixelCoordinate((height - 36) * (yMax - record.thermoResistance[k]) / yRange);
        if (x && y) {
            series::plotSquare(image, *x, *y, 2, kBlack);
        }
    }
}

}  // namespace

void drawTemperatureChart(QImage& ivBitmap, const QString& yText, const QString& xText, double yMin,
                          double yMax, double xMin, double xMax, const ThermoRecord& record) {
    series::fillImage(ivBitmap, kLime);
    drawGrid(ivBitmap, yMin, yMax, xMin, xMax);
    drawLabels(ivBitmap, yText, xText, yMin, yMax, xMin, xMax);
    const double xRange = xMax - xMin;
    const double yRange = yMax - yMin;
    if (xRange != 0.0 && yRange != 0.0 && std::isfinite(xRange) && std::isfinite(yRange)) {
        drawPoints(ivBitmap, yMax, yRange, xMin, xRange, record);
    }
}

}  // namespace tarvix::thermo
