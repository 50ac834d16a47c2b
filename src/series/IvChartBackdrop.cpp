#include "series/IvChartBackdrop.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "series/ChartCanvas.h"
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

void drawVoltageTicks(QImage& image, const IvChartGeometry& g) {
    for (int i = 0; i <= kGridIntervals; ++i) {
        drawLabel(image, g.gridX(i) - kTickLabelInset, g.height() - kTickLabelRise,
                  text::fixedText(g.voltageAtGridLine(i), 3, 2));
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
    for (int i = 0; i <= kGridIntervals; ++i) {
        const double microamperes =
            g.currentAtGridLine(kGridIntervals - i) * kMicroamperesPerAmpere;
        drawLabel(image, 0, IvChartGeometry::toPixel(i * height / kCurrentLabelPitch),
                  text::fixedText(microamperes, 0, 3));
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
