// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/ChartLimits.h"

#include "text/DecimalParse.h"
#include "thermo/TemperatureChart.h"

namespace tarvix::thermo {

ChartLimits chartLimitsFromTexts(const QString& rMaxText, const QString& tMinText,
                                 const QString& tMaxText) {
    const ChartLimits fallback;
    return ChartLimits{text::parseDecimal(rMaxText).value_or(fallback.rMax),
                       text::parseInteger(tMinText).value_or(fallback.tMin),
                       text::parseInteger(tMaxText).value_or(fallback.tMax)};
}

void drawTemperatureChart(QImage& ivBitmap, const ChartLimits& limits, const ThermoRecord& record) {
    drawTemperatureChart(ivBitmap, kResistanceAxisText.toString(), kTemperatureAxisText.toString(),
                         0.0, limits.rMax, limits.tMin, limits.tMax, record);
}

}  // namespace tarvix::thermo
