// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/ThermoPanel.h"

#include "text/FileError.h"
#include "thermo/PanelChart.h"
#include "thermo/PanelControls.h"
#include "thermo/ThermocoupleProcedures.h"

namespace tarvix::thermo {

ThermoPanel::ThermoPanel(bus::GpibBus& bus, ThermoRecord& record, ThermoHost& host)
    : link_(bus), record_(record), host_(host), run_(link_, record, host) {}

void ThermoPanel::Button27Click() {
    run_.start();
}

void ThermoPanel::endRun() {
    run_.end();
}

void ThermoPanel::Timer1Timer() {
    run_.takeSample();
}

void ThermoPanel::Button28Click() {
    host_.setStopRequested(true);
}

void ThermoPanel::Button30Click() {
    runThermocoupleLoop(link_, record_, host_);
}

void ThermoPanel::Button23Click() {
    runThermocoupleTest(link_, host_);
}

void ThermoPanel::Button29Click() {
    save(TempFileKind::FourProbe);
}

void ThermoPanel::Button31Click() {
    save(TempFileKind::Thermocouple);
}

void ThermoPanel::save(TempFileKind kind) {
    const SaveStep step = saveStepFromText(host_.text(controls::kSaveEveryEdit));
    if (!step.step) {
        host_.showMessage(step.message);
        return;
    }
    // The tables mean other things after the other procedure: never pair its columns.
    const ThermoRunKind wanted =
        kind == TempFileKind::FourProbe ? ThermoRunKind::FourProbe : ThermoRunKind::Thermocouple;
    if (record_.filledBy != ThermoRunKind::None && record_.filledBy != wanted) {
        host_.showMessage(kind == TempFileKind::FourProbe
                              ? QStringLiteral("There is no four-probe record to save: the last "
                                               "run was the thermocouple loop.")
                              : QStringLiteral("There is no thermocouple record to save: the last "
                                               "run was a four-probe run."));
        return;
    }
    const std::optional<QString> chosen = host_.askSaveFileName();
    if (!chosen) {
        return;
    }
    const TempFileOptions options{*step.step, host_.isChecked(controls::kAverageCheck),
                                  host_.text(controls::kDescriptionEdit), host_.now()};
    const QString path = withTempExtension(*chosen);
    const int error = writeTempFile(path, kind, record_, options);
    if (error != text::kFileOk) {
        host_.showMessage(text::fileErrorText(error));
        return;
    }
    record_.savedTo(path);
    host_.recordFileSaved(kind, path);
}

void ThermoPanel::CheckBox48Click() {
    const bool lcr = host_.isChecked(controls::kUseLcrMeterCheck);
    for (const QStringView speed :
         {controls::kVerySlowRadio, controls::kMediumRadio, controls::kFastRadio}) {
        host_.setEnabled(speed, lcr);
    }
}

void ThermoPanel::ScrollBar9Change(int position) {
    host_.setTimerInterval(position * 1000);
    host_.setText(controls::kPeriodLabel, QString::number(position));
}

void ThermoPanel::RadioButton59Click() {
    CheckBox48Click();
    host_.showFourProbePanel();
    redrawChart();
}

void ThermoPanel::redrawChart() {
    redrawTemperatureChart(host_, record_);
}

}  // namespace tarvix::thermo
