// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::thermo {

class ThermoHost;
struct ThermoRecord;

// The panel's read-outs of sample `sample` as the four-probe run shows it: its number, its
// temperature and its resistance.
void showFourProbeSample(ThermoHost& host, const ThermoRecord& record, int sample);

// The same as the thermocouple loop shows it: its number, the reference temperature, the
// thermocouple voltage and the thermocouple temperature in kelvin and Celsius.
void showLoopSample(ThermoHost& host, const ThermoRecord& record, int sample);

}  // namespace tarvix::thermo
