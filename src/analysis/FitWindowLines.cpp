// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/FitWindowLines.h"

#include "series/ChartCanvas.h"
#include "series/IvChartGeometry.h"

namespace tarvix::analysis {

namespace {

const QString kNoLimit = QStringLiteral("0");
constexpr QRgb kWindowColour = qRgb(255, 128, 0);  // apart from every segment colour
constexpr int kDash = 6;
constexpr int kBottomBand = 35;

void dashedVertical(QImage& picture, int x, int bottom) {
    for (int y = 0; y < bottom; y += 2 * kDash) {
        series::drawLine(picture, x, y, x, std::min(y + kDash, bottom), kWindowColour);
    }
}

}  // namespace

FitWindowEnds fitWindowEnds(const QString& lowerCaption, const QString& upperCaption,
                            float manualVoltage, float cursorVoltage, double voltageMin,
                            double voltageMax) {
    return {lowerCaption == kNoLimit ? voltageMin : manualVoltage,
            upperCaption == kNoLimit ? voltageMax : cursorVoltage};
}

void drawFitWindowLines(QImage& picture, const series::IvChartGeometry& geometry,
                        const FitWindowEnds& ends) {
    if (!geometry.cursorsDrawable()) {
        return;
    }
    const int bottom = picture.height() - kBottomBand;
    for (double voltage : {ends.low, ends.high}) {
        dashedVertical(picture, geometry.pointAt(static_cast<float>(voltage), 0).x(), bottom);
    }
}

}  // namespace tarvix::analysis
