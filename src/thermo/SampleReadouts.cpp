// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/SampleReadouts.h"

#include "text/NumberText.h"
#include "thermo/PanelControls.h"
#include "thermo/ThermoHost.h"
#include "thermo/ThermoRecord.h"
#include "thermo/ThermocoupleConversion.h"

namespace tarvix::thermo {

void showFourProbeSample(ThermoHost& host, const ThermoRecord& record, int sample) {
    const auto k = static_cast<std::size_t>(sample);
    host.setText(controls::kSampleNumberEdit, QString::number(sample));
    host.setText(controls::kTemperatureEdit, text::fixedText(record.thermoTemp[k], 3, 3));
    host.setText(controls::kResistanceEdit, text::defaultReal(record.thermoResistance[k]));
}

void showLoopSample(ThermoHost& host, const ThermoRecord& record, int sample) {
    const auto k = static_cast<std::size_t>(sample);
    host.setText(controls::kSampleNumberEdit, QString::number(sample));
    host.setText(controls::kTemperatureEdit, text::defaultReal(record.thermoRefTemp[k]));
    host.setText(controls::kResistanceEdit, text::defaultReal(record.thermoTemp[k]));
    const double kelvin = record.thermoTcTemp[k];
    host.setText(controls::kTcKelvinEdit, text::defaultReal(kelvin));
    host.setText(controls::kTcCelsiusEdit, text::defaultReal(kelvinToCelsius(kelvin)));
}

}  // namespace tarvix::thermo
