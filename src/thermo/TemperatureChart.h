// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <QStringView>

#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

// The axis texts every caller passes.
inline constexpr QStringView kResistanceAxisText = u"R,Om";
inline constexpr QStringView kTemperatureAxisText = u"T,C";

// Redraws the whole resistance-versus-temperature chart into the I-V chart's bitmap: green
// background, a 9 x 9 grid (a line whose value is exactly 0 in red), value labels, the axis
// caption, and samples 1 to thermoCount as black 5 x 5 squares (x from thermoTemp, y
// from thermoResistance). Missing samples are skipped; with equal limits on an axis the
// grid and labels are drawn but no point, since there is no scale to place them by.
void drawTemperatureChart(QImage& ivBitmap, const QString& yText, const QString& xText, double yMin,
                          double yMax, double xMin, double xMax, const ThermoRecord& record);

}  // namespace tarvix::thermo
