#include "thermo/ThermocoupleProcedures.h"

#include "text/ClockText.h"
#include "text/NumberText.h"
#include "thermo/PanelControls.h"
#include "thermo/ThermocoupleConversion.h"

namespace tarvix::thermo {

namespace {

constexpr int kLoopPauses = 5;
constexpr int kLoopPauseMilliseconds = 1000;
constexpr int kTestReadings = 300;

void takeLoopSample(ThermoBusLink& link, ThermoRecord& record, ThermoHost& host, int sample) {
    link.sendAll(kMultimeterAddress, {"FUNC \"VOLT:DC\"", "rout:clos (@7)", ":READ?"});
    record.thermoTemp[sample] = link.readNumber(kMultimeterAddress);
    link.sendAll(kMultimeterAddress,
                 {":rout:open:all", "FUNC \"TEMP\"", "rout:clos (@1)", ":READ?"});
    record.thermoRefTemp[sample] = link.readNumber(kMultimeterAddress);
    record.thermoTime[sample] = text::timeOfDay(host.now().time());
    host.setText(controls::kSampleNumberEdit, QString::number(sample));
    host.setText(controls::kTemperatureEdit, text::defaultReal(record.thermoRefTemp[sample]));
    host.setText(controls::kResistanceEdit, text::defaultReal(record.thermoTemp[sample]));
    const double kelvin =
        thermocoupleTemperature(record.thermoTemp[sample], record.thermoRefTemp[sample]);
    record.thermoTcTemp[sample] = kelvin;
    host.setText(controls::kTcKelvinEdit, text::defaultReal(kelvin));
    host.setText(controls::kTcCelsiusEdit, text::defaultReal(kelvinToCelsius(kelvin)));
}

}  // namespace

void runThermocoupleLoop(ThermoBusLink& link, ThermoRecord& record, ThermoHost& host) {
    host.setStopRequested(false);
    host.setEnabled(controls::kStartDButton, false);
    host.setEnabled(controls::kStopButton, true);
    link.setTimeout();
    link.send(kMultimeterAddress, "*RST");
    record.startRun(ThermoRunKind::Thermocouple);
    link.sendAll(kMultimeterAddress,
                 {"FUNC \"TEMP\"", "unit:temp K", "temp:rjun:rsel real", "rout:clos (@1)"});
    int sample = 0;
    do {
        // The window stays deaf during the pause; Stop is seen once per sample.
        for (int pause = 0; pause < kLoopPauses; ++pause) {
            host.sleepMilliseconds(kLoopPauseMilliseconds);
        }
        sample = ++record.thermoCount;
        takeLoopSample(link, record, host, sample);
        record.sampleStored(sample);
        host.processEvents();
    } while (!host.stopRequested() && sample < ThermoRecord::kMaxSamples);
    link.send(kMultimeterAddress, ":rout:open:all");
    host.setStopRequested(false);
    host.setEnabled(controls::kStartDButton, true);
    host.setEnabled(controls::kStopButton, false);
}

void runThermocoupleTest(ThermoBusLink& link, ThermoHost& host) {
    link.setTimeout();
    link.sendAll(kMultimeterAddress, {"*RST", "FUNC \"TEMP\"", "temp:tc:type k"});
    if (link.gpibStatus() != 0) {
        return;
    }
    link.send(kMultimeterAddress, ":rout:clos (@2)");
    for (int reading = 0; reading < kTestReadings; ++reading) {
        link.send(kMultimeterAddress, ":READ?");
        const double value = link.readNumber(kMultimeterAddress);
        if (link.gpibStatus() != 0) {
            return;
        }
        host.setText(controls::kTermoReadingEdit, text::defaultReal(value));
        host.processEvents();
    }
    link.send(kMultimeterAddress, ":rout:open:all");
}

}  // namespace tarvix::thermo
