// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "thermo/ChartLimits.h"
#include "thermo/ThermoHost.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

// The chart limits as the panel's edits hold them now.
ChartLimits readChartLimits(const ThermoHost& host);

// Re-reads the limits, redraws the temperature chart into the shared bitmap, puts it on the
// screen and lets pending events run.
void redrawTemperatureChart(ThermoHost& host, const ThermoRecord& record);

}  // namespace tarvix::thermo
