#include "thermo/FourProbeRun.h"

#include "text/ClockText.h"
#include "text/Cp1251.h"
#include "text/NumberText.h"
#include "thermo/PanelChart.h"
#include "thermo/PanelControls.h"
#include "thermo/SourceCurrent.h"
#include "thermo/ThermocoupleConversion.h"

namespace tarvix::thermo {

namespace {

QByteArray operator""_ba(const char* text, std::size_t length) {
    return QByteArray(text, static_cast<qsizetype>(length));
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

}  // namespace

FourProbeRun::FourProbeRun(ThermoBusLink& link, ThermoRecord& record, ThermoHost& host)
    : link_(link), record_(record), host_(host) {}

void FourProbeRun::start() {
    channelCommand_ = "rout:clos (@"_ba + text::toCp1251(host_.text(controls::kChannelEdit)) + ")";
    useLcrMeter_ = host_.isChecked(controls::kUseLcrMeterCheck);
    verySlow_ = host_.isChecked(controls::kVerySlowRadio);
    if (useLcrMeter_) {
        configureLcrMeter();
    }
    redrawTemperatureChart(host_, record_);
    host_.setStopRequested(false);
    host_.setEnabled(controls::kStartButton, false);
    host_.setEnabled(controls::kStopButton, true);
    link_.setTimeout();
    if (!useLcrMeter_) {
        configureSourceUnit();
    }
    configureMultimeter();
    if (!useLcrMeter_) {
        link_.send(kSourceUnitAddress, ":OUTP ON");
    }
    record_.startRun(ThermoRunKind::FourProbe);
    running_ = true;
    host_.startTimer();
}

void FourProbeRun::configureLcrMeter() {
    if (host_.isChecked(controls::kFastRadio)) {
        link_.send(kLcrMeterAddress, "CONF:MAC FAS");
    }
    if (host_.isChecked(controls::kMediumRadio)) {
        link_.send(kLcrMeterAddress, "CONF:MAC MED");
    }
    if (host_.isChecked(controls::kVerySlowRadio)) {
        link_.send(kLcrMeterAddress, "CONF:MAC SLO");
    }
}

void FourProbeRun::configureSourceUnit() {
    sourceCurrent_ = checkedSourceCurrent(host_);
    sourceRange_ = sourceRangeFor(sourceCurrent_);
    const bool twoWire = host_.isChecked(controls::kTwoWireCheck);
    link_.sendAll(kSourceUnitAddress,
                  {"*RST", twoWire ? ":SYST:RSEN OFF" : ":SYST:RSEN ON", ":SOUR:FUNC CURR",
                   ":SOUR:CURR:MODE FIXED", ":SENS:FUNC \"VOLT\""});
    link_.send(kSourceUnitAddress,
               ":SOUR:CURR:RANG "_ba + text::defaultReal(sourceRange_).toLatin1());
    link_.send(kSourceUnitAddress,
               ":SOUR:CURR:LEV "_ba + text::defaultReal(sourceCurrent_).toLatin1());
    link_.send(kSourceUnitAddress,
               ":SENS:VOLT:PROT "_ba + text::toCp1251(host_.text(controls::kComplianceEdit)));
    link_.send(kSourceUnitAddress, ":FORM:ELEM VOLT");
}

void FourProbeRun::configureMultimeter() {
    link_.sendAll(kMultimeterAddress, {"*RST", "FUNC \"TEMP\"", "unit:temp K",
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
    record_.thermoResistance[sample] = measureResistance();
    record_.thermoTemp[sample] = kelvinToCelsius(measureTemperature());
    record_.thermoTime[sample] = text::timeOfDay(host_.now().time());
    record_.sampleStored(sample);
    showSample(sample);
    redrawTemperatureChart(host_, record_);
    host_.processEvents();
    sampling_ = false;
    if (host_.stopRequested() || sample >= ThermoRecord::kMaxSamples) {
        finish();
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
    host_.setText(controls::kSampleNumberEdit, QString::number(sample));
    host_.setText(controls::kTemperatureEdit, text::fixedText(record_.thermoTemp[sample], 3, 3));
    host_.setText(controls::kResistanceEdit, text::defaultReal(record_.thermoResistance[sample]));
}

void FourProbeRun::finish() {
    running_ = false;
    host_.stopTimer();
    // The source unit is switched off even when the LCR meter measured.
    link_.send(kSourceUnitAddress, ":OUTP OFF");
    link_.send(kMultimeterAddress, ":rout:open:all");
    host_.setEnabled(controls::kStartButton, true);
    host_.setEnabled(controls::kStopButton, false);
}

}  // namespace tarvix::thermo
