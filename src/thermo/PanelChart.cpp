// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/PanelChart.h"

#include "thermo/PanelControls.h"

namespace tarvix::thermo {

ChartLimits readChartLimits(const ThermoHost& host) {
    return chartLimitsFromTexts(host.text(controls::kRMaxEdit), host.text(controls::kTMinEdit),
                                host.text(controls::kTMaxEdit));
}

void redrawTemperatureChart(ThermoHost& host, const ThermoRecord& record) {
    drawTemperatureChart(host.chartImage(), readChartLimits(host), record);
    host.presentChart();
    host.processEvents();
}

}  // namespace tarvix::thermo
