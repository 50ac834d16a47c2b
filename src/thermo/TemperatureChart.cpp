#include "thermo/TemperatureChart.h"

#include <cmath>
#include <optional>

#include "series/ChartCanvas.h"
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

void drawLabels(QImage& image, const QString& yText, const QString& xText, double yMin, double yMax,
                double xMin, double xMax) {
    const int width = image.width();
    const int height = image.height();
    for (int i = 0; i <= 8; ++i) {
        // The label step is H / 9.5, not the grid step: the labels sit a little above
        // their lines, further up the lower they are.
        series::drawLabel(image, 0, rounded(i * height / 9.5),
                          text::fixedText(yMin + (8 - i) * (yMax - yMin) / 8, 3, 2));
    }
    for (int i = 0; i <= 8; ++i) {
        series::drawLabel(image, rounded(i * (width - 60) / 8.0) + 30, height - 30,
                          text::fixedText(xMin + i * (xMax - xMin) / 8, 3, 1));
    }
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
            series::plotFivePixels(image, *x, *y, kBlack);
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
