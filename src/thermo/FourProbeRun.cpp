// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/FourProbeRun.h"

#include <QStringList>
#include <cmath>
#include <limits>

#include "text/ClockText.h"
#include "text/Cp1251.h"
#include "text/NumberText.h"
#include "thermo/FourProbeSettings.h"
#include "thermo/PanelChart.h"
#include "thermo/PanelControls.h"
#include "thermo/SampleReadouts.h"
#include "thermo/SourceCurrent.h"
#include "thermo/ThermocoupleConversion.h"

namespace tarvix::thermo {

namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

QByteArray operator""_ba(const char* text, std::size_t length) {
    return QByteArray(text, static_cast<qsizetype>(length));
}

// The status line's view of a run: the samples taken and the last temperature and resistance.
status::Progress runProgress(const ThermoRecord& record, std::optional<status::Ending> ending) {
    status::Progress progress;
    progress.stage = QStringLiteral("Four-probe");
    progress.ending = ending;
    const int sample = record.thermoCount;
    progress.counters = {{QStringLiteral("sample"), sample, 0}};
    progress.done = sample;
    if (sample > 0) {
        progress.reading = QStringLiteral("T=%1 C, R=%2 Ohm")
                               .arg(text::fixedText(record.thermoTemp[sample], 3, 3).trimmed(),
                                    text::defaultReal(record.thermoResistance[sample]).trimmed());
    }
    return progress;
}

double checkedSourceCurrent(const ThermoHost& host) {
    double fallback = 0;
    for (const SourceCurrentButton& choice : kSourceCurrentButtons) {
        if (host.isChecked(choice.button)) {
            return choice.amperes;
        }
        if (choice.button == kDefaultSourceCurrentButton) {
            fallback = choice.amperes;
        }
    }
    return fallback;
}

const QString kRunName = QStringLiteral("4 probe Start");

}  // namespace

FourProbeRun::FourProbeRun(ThermoBusLink& link, ThermoRecord& record, ThermoHost& host)
    : link_(link), record_(record), host_(host) {}

void FourProbeRun::start() {
    QString refusal;
    const auto texts = checkFourProbeTexts(host_.text(controls::kChannelEdit),
                                           host_.text(controls::kComplianceEdit), &refusal);
    if (!texts) {
        host_.showMessage(refusal);
        return;
    }
    // A refused start must leave the lease of a run in progress alone.
    auto lease = host_.acquireBus(kRunName, [this] { sendClosingCommands(); });
    if (!lease) {
        return;
    }
    lease_ = std::move(lease);
    channelCommand_ = texts->channelCommand;
    useLcrMeter_ = host_.isChecked(controls::kUseLcrMeterCheck);
    verySlow_ = host_.isChecked(controls::kVerySlowRadio);
    outputOn_ = false;
    outputOffFailed_ = false;
    faults_.reset();
    link_.beginReading();
    if (useLcrMeter_ && !configureLcrMeter()) {
        failStart();
        return;
    }
    redrawTemperatureChart(host_, record_);
    host_.setStopRequested(false);
    host_.setEnabled(controls::kStartButton, false);
    host_.setEnabled(controls::kStopButton, true);
    link_.setTimeout();
    if ((!useLcrMeter_ && !configureSourceUnit(texts->compliance)) || !configureMultimeter()) {
        failStart();
        return;
    }
    if (!useLcrMeter_) {
        outputOn_ = true;
        if (!link_.send(kSourceUnitAddress, ":OUTP ON")) {
            failStart();
            return;
        }
    }
    record_.startRun(ThermoRunKind::FourProbe);
    running_ = true;
    host_.startTimer();
    // The window may have been closed while the chart was drawn.
    if (lease_->endRequested()) {
        finish();
    }
}

// A set-up exchange failed: nothing more is sent but the closing commands, and the operator
// learns which instrument refused which command.
void FourProbeRun::failStart() {
    const QString fault = link_.fault() ? link_.fault()->text() : QString();
    lease_.reset();
    host_.setEnabled(controls::kStartButton, true);
    host_.setEnabled(controls::kStopButton, false);
    QString message = QStringLiteral("%1 was not started: %2.").arg(kRunName, fault);
    if (outputOffFailed_) {
        message += QStringLiteral(
                       " The source at address %1 did not take \":OUTP OFF\": "
                       "switch its output off at the instrument.")
                       .arg(kSourceUnitAddress);
    }
    host_.showMessage(message);
}

bool FourProbeRun::configureLcrMeter() {
    if (host_.isChecked(controls::kFastRadio)) {
        return link_.send(kLcrMeterAddress, "CONF:MAC FAS");
    }
    if (host_.isChecked(controls::kMediumRadio)) {
        return link_.send(kLcrMeterAddress, "CONF:MAC MED");
    }
    if (host_.isChecked(controls::kVerySlowRadio)) {
        return link_.send(kLcrMeterAddress, "CONF:MAC SLO");
    }
    return true;
}

bool FourProbeRun::configureSourceUnit(const QByteArray& compliance) {
    sourceCurrent_ = checkedSourceCurrent(host_);
    sourceRange_ = sourceRangeFor(sourceCurrent_);
    const bool twoWire = host_.isChecked(controls::kTwoWireCheck);
    return link_.sendAll(kSourceUnitAddress,
                         {"*RST", twoWire ? ":SYST:RSEN OFF" : ":SYST:RSEN ON", ":SOUR:FUNC CURR",
                          ":SOUR:CURR:MODE FIXED", ":SENS:FUNC \"VOLT\""}) &&
           link_.send(kSourceUnitAddress,
                      ":SOUR:CURR:RANG "_ba + text::defaultReal(sourceRange_).toLatin1()) &&
           link_.send(kSourceUnitAddress,
                      ":SOUR:CURR:LEV "_ba + text::defaultReal(sourceCurrent_).toLatin1()) &&
           link_.send(kSourceUnitAddress, ":SENS:VOLT:PROT "_ba + compliance) &&
           link_.send(kSourceUnitAddress, ":FORM:ELEM VOLT");
}

bool FourProbeRun::configureMultimeter() {
    return link_.sendAll(kMultimeterAddress, {"*RST", "FUNC \"TEMP\"", "unit:temp K",
                                              "temp:rjun:rsel real", "rout:clos (@1)"});
}

void FourProbeRun::takeSample() {
    // A tick queued before the run ended, or one delivered while a sample lets events run,
    // must not take a sample of its own.
    if (!running_ || sampling_) {
        return;
    }
    if (record_.thermoCount >= ThermoRecord::kMaxSamples) {
        finish();  // the record is full: never write past its end
        return;
    }
    sampling_ = true;
    host_.setText(controls::kSampleTimeLabel, text::longTimeText(host_.now().time()));
    const int sample = ++record_.thermoCount;
    storeSample(sample);
    record_.sampleStored(sample);
    showSample(sample);
    host_.reportProgress(runProgress(record_, std::nullopt));
    redrawTemperatureChart(host_, record_);
    host_.processEvents();
    sampling_ = false;
    if (host_.stopRequested() || sample >= ThermoRecord::kMaxSamples || faults_.endsRun() ||
        (lease_ && lease_->endRequested())) {
        finish();
    }
}

// Each reading whose exchanges failed, or whose reply holds no number, is stored as missing.
void FourProbeRun::storeSample(int sample) {
    link_.beginReading();
    double ohms = measureResistance();
    std::optional<bus::ExchangeFault> fault = link_.fault();
    if (fault) {
        ohms = kMissing;
    }
    link_.beginReading();
    double kelvin = measureTemperature();
    if (link_.fault()) {
        kelvin = kMissing;
        fault = fault ? fault : link_.fault();
    }
    record_.thermoResistance[sample] = ohms;
    record_.thermoTemp[sample] = kelvinToCelsius(kelvin);
    record_.thermoTime[sample] = text::timeOfDay(host_.now().time());
    if (fault) {
        faults_.record(fault);
    } else if (std::isnan(ohms) || std::isnan(kelvin)) {
        faults_.recordUnreadable();
    } else {
        faults_.record(std::nullopt);
    }
}

double FourProbeRun::measureResistance() {
    if (useLcrMeter_) {
        link_.send(kLcrMeterAddress, "MEAS:");
        if (verySlow_) {
            for (int i = 0; i < 3; ++i) {
                link_.readReply(kLcrMeterAddress, kLcrReplyLength);
            }
        }
        link_.send(kLcrMeterAddress, "FETC?");
        return resistanceFromFetchReply(link_.readReply(kLcrMeterAddress, kLcrReplyLength));
    }
    link_.send(kSourceUnitAddress, ":READ?");
    return link_.readNumber(kSourceUnitAddress) / sourceCurrent_;
}

double FourProbeRun::measureTemperature() {
    link_.send(kMultimeterAddress, "FUNC \"VOLT:DC\"");
    link_.send(kMultimeterAddress, channelCommand_);
    link_.send(kMultimeterAddress, ":READ?");
    const double thermocoupleVolts = link_.readNumber(kMultimeterAddress);
    link_.sendAll(kMultimeterAddress,
                  {":rout:open:all", "FUNC \"TEMP\"", "rout:clos (@1)", ":READ?"});
    const double referenceKelvin = link_.readNumber(kMultimeterAddress);
    return thermocoupleTemperature(thermocoupleVolts, referenceKelvin);
}

void FourProbeRun::showSample(int sample) {
    showFourProbeSample(host_, record_, sample);
}

// The source unit is switched off even when the LCR meter measured.
void FourProbeRun::sendClosingCommands() {
    link_.beginReading();
    outputOffFailed_ = !link_.send(kSourceUnitAddress, ":OUTP OFF") && outputOn_;
    link_.send(kMultimeterAddress, ":rout:open:all");
}

void FourProbeRun::end() {
    if (running_ && !sampling_) {
        finish();
    }
}

void FourProbeRun::finish() {
    running_ = false;
    host_.stopTimer();
    lease_.reset();
    host_.setEnabled(controls::kStartButton, true);
    host_.setEnabled(controls::kStopButton, false);
    QStringList message;
    message << faults_.summary(kRunName);
    if (outputOffFailed_) {
        message << QStringLiteral(
                       "The source at address %1 did not take \":OUTP OFF\": switch "
                       "its output off at the instrument.")
                       .arg(kSourceUnitAddress);
    }
    message.removeAll(QString());
    if (!message.isEmpty()) {
        host_.showMessage(message.join(QLatin1Char(' ')));
    }
    host_.reportProgress(endProgress());
}

// Failures that ended the run say so, even when Stop came in the same sample.
status::Progress FourProbeRun::endProgress() const {
    status::Progress progress = runProgress(record_, status::Ending::Finished);
    if (faults_.endsRun()) {
        progress.ending = status::Ending::Fault;
        progress.reason = faults_.endReason();
    } else if (host_.stopRequested()) {
        progress.ending = status::Ending::Stopped;
    }
    return progress;
}

}  // namespace tarvix::thermo
