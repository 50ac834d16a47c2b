// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

// The temperature chart's limits as the operator typed them: resistance 0 to rMax (Edit55),
// temperature tMin to tMax (Edit48, Edit62, whole degrees).
struct ChartLimits {
    double rMax = 10000;
    int tMin = -196;
    int tMax = 300;
};

// Reads the three edit texts; a text that is not a number gives 10000, -196 or 300.
ChartLimits chartLimitsFromTexts(const QString& rMaxText, const QString& tMinText,
                                 const QString& tMaxText);

// The chart over `limits` with the usual axis texts.
void drawTemperatureChart(QImage& ivBitmap, const ChartLimits& limits, const ThermoRecord& record);

}  // namespace tarvix::thermo
