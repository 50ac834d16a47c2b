// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/ThermocoupleProcedures.h"

#include <cmath>
#include <limits>

#include "text/ClockText.h"
#include "text/NumberText.h"
#include "thermo/PanelControls.h"
#include "thermo/SampleReadouts.h"
#include "thermo/ThermocoupleConversion.h"

namespace tarvix::thermo {

namespace {

constexpr int kLoopPauses = 5;
constexpr int kLoopPauseMilliseconds = 1000;
constexpr int kTestReadings = 300;
constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

const QString kLoopName = QStringLiteral("Start_d");
const QString kTestName = QStringLiteral("Termo");

QByteArray operator""_ba(const char* text, std::size_t length) {
    return QByteArray(text, static_cast<qsizetype>(length));
}

// The scanner opens all its channels on every way out of both procedures.
std::optional<bus::BusLease> takeMultimeter(ThermoBusLink& link, ThermoHost& host,
                                            const QString& procedure) {
    return host.acquireBus(procedure,
                           [&link] { link.send(kMultimeterAddress, ":rout:open:all"_ba); });
}

// One Start_d sample; a reading whose exchanges failed is stored as missing (NaN).
std::optional<bus::ExchangeFault> takeLoopSample(ThermoBusLink& link, ThermoRecord& record,
                                                 ThermoHost& host, int sample) {
    const ThermocoupleSample reading = readThermocouple(link);
    record.thermoTemp[sample] = reading.volts;
    record.thermoRefTemp[sample] = reading.referenceK;
    record.thermoTime[sample] = text::timeOfDay(host.now().time());
    record.thermoTcTemp[sample] = reading.kelvin;
    showLoopSample(host, record, sample);
    return reading.fault;
}

// Counts one Start_d sample; a number that did not convert is missing as much as a failure.
void countSample(bus::ReadingFaults& faults, const std::optional<bus::ExchangeFault>& fault,
                 const ThermoRecord& record, int sample) {
    if (fault) {
        faults.record(fault);
    } else if (std::isnan(record.thermoTcTemp[sample])) {
        faults.recordUnreadable();
    } else {
        faults.record(std::nullopt);
    }
}

}  // namespace

bool setUpThermocouple(ThermoBusLink& link) {
    return link.sendAll(kMultimeterAddress,
                        {"FUNC \"TEMP\"", "unit:temp K", "temp:rjun:rsel real", "rout:clos (@1)"});
}

ThermocoupleSample readThermocouple(ThermoBusLink& link) {
    ThermocoupleSample sample;
    link.beginReading();
    link.sendAll(kMultimeterAddress, {"FUNC \"VOLT:DC\"", "rout:clos (@7)", ":READ?"});
    sample.volts = link.fault() ? kMissing : link.readNumber(kMultimeterAddress);
    const std::optional<bus::ExchangeFault> voltsFault = link.fault();
    link.beginReading();
    link.sendAll(kMultimeterAddress,
                 {":rout:open:all", "FUNC \"TEMP\"", "rout:clos (@1)", ":READ?"});
    sample.referenceK = link.fault() ? kMissing : link.readNumber(kMultimeterAddress);
    sample.kelvin = thermocoupleTemperature(sample.volts, sample.referenceK);
    sample.fault = voltsFault ? voltsFault : link.fault();
    return sample;
}

void runThermocoupleLoop(ThermoBusLink& link, ThermoRecord& record, ThermoHost& host) {
    auto lease = takeMultimeter(link, host, kLoopName);
    if (!lease) {
        return;
    }
    host.setStopRequested(false);
    host.setEnabled(controls::kStartDButton, false);
    host.setEnabled(controls::kStopButton, true);
    link.setTimeout();
    link.beginReading();
    bool ready = link.send(kMultimeterAddress, "*RST");
    record.startRun(ThermoRunKind::Thermocouple);
    ready = ready && setUpThermocouple(link);
    bus::ReadingFaults faults(QStringLiteral("samples"));
    int sample = 0;
    while (ready) {
        // The window stays deaf during the pause; Stop is seen once per sample.
        for (int pause = 0; pause < kLoopPauses; ++pause) {
            host.sleepMilliseconds(kLoopPauseMilliseconds);
        }
        sample = ++record.thermoCount;
        countSample(faults, takeLoopSample(link, record, host, sample), record, sample);
        record.sampleStored(sample);
        host.processEvents();
        if (host.stopRequested() || lease->endRequested() || faults.endsRun() ||
            sample >= ThermoRecord::kMaxSamples) {
            break;
        }
    }
    lease->end();
    host.setStopRequested(false);
    host.setEnabled(controls::kStartDButton, true);
    host.setEnabled(controls::kStopButton, false);
    const QString message =
        ready ? faults.summary(kLoopName)
              : QStringLiteral("%1 was not started: %2.").arg(kLoopName, link.fault()->text());
    if (!message.isEmpty()) {
        host.showMessage(message);
    }
}

// Ends at the first failed exchange, as designed, and says which one it was.
void runThermocoupleTest(ThermoBusLink& link, ThermoHost& host) {
    auto lease = takeMultimeter(link, host, kTestName);
    if (!lease) {
        return;
    }
    link.setTimeout();
    link.beginReading();
    bool failed = !link.sendAll(kMultimeterAddress, {"*RST", "FUNC \"TEMP\"", "temp:tc:type k"}) ||
                  !link.send(kMultimeterAddress, ":rout:clos (@2)");
    for (int reading = 0; reading < kTestReadings && !failed && !lease->endRequested(); ++reading) {
        link.send(kMultimeterAddress, ":READ?");
        const double value = link.readNumber(kMultimeterAddress);
        failed = link.fault().has_value();
        if (!failed) {
            host.setText(controls::kTermoReadingEdit, text::defaultReal(value));
            host.processEvents();
        }
    }
    lease->end();
    if (failed) {
        host.showMessage(QStringLiteral("%1 was ended: %2.").arg(kTestName, link.fault()->text()));
    }
}

}  // namespace tarvix::thermo
