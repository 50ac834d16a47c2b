// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/Regimes.h"

#include <algorithm>
#include <cmath>

#include "iv/AddressScan.h"
#include "iv/RangeTables.h"
#include "iv/SegmentLevels.h"
#include "text/Cp1251.h"
#include "text/NumberText.h"

namespace tarvix::iv {

namespace {

QString real(double value) {
    return text::defaultReal(value);
}

status::Progress currentSweepPoint(int point, int points, double current) {
    status::Progress progress;
    progress.stage = QStringLiteral("Current sweep");
    progress.counters = {{QStringLiteral("point"), point, points}};
    progress.reading = QStringLiteral("%1 A").arg(current, 0, 'g', 4);
    progress.done = point;
    progress.total = points;
    return progress;
}

}  // namespace

double measureResistance(CheckedBus& link, QStringList& problems) {
    OutputGuard guard(link.gpib(), kScpiAddress, problems);
    link.setTimeout(1000);
    for (const char* command : {"*RST", "FUNC \"RES\"", ":FORM:ELEM RES"}) {
        link.send(kScpiAddress, QString::fromLatin1(command));
    }
    guard.outputSwitchedOn();
    link.send(kScpiAddress, QStringLiteral(":OUTP ON"));
    const double value = link.query(kScpiAddress, QStringLiteral(":READ?"));
    guard.switchOff();
    return value;
}

void runCurrentSweep(CheckedBus& link, series::SeriesStore& store, IvHost& host,
                     const CurrentSweepSettings& settings, ComplianceWatch& watch,
                     QStringList& problems) {
    OutputGuard guard(link.gpib(), kScpiAddress, problems);
    link.setTimeout(1000);
    for (const QString& command :
         {QStringLiteral("*RST"), QStringLiteral(":SOUR:FUNC CURR"),
          QStringLiteral(":SOUR:CURR:MODE FIXED"), QStringLiteral(":SENS:FUNC \"VOLT\""),
          QStringLiteral(":SOUR:CURR:RANG ") + real(settings.range),
          QStringLiteral(":SOUR:CURR:LEV ") + real(settings.currentStart),
          QStringLiteral(":SENS:VOLT:PROT ") + real(settings.voltageCompliance),
          QStringLiteral(":FORM:ELEM VOLT")}) {
        link.send(kScpiAddress, command);
    }
    guard.outputSwitchedOn();
    link.send(kScpiAddress, QStringLiteral(":OUTP ON"));
    constexpr int kSteps = 80;
    SegmentLevels levels(settings.currentStart, settings.currentEnd, kSteps);
    double current = settings.currentStart;
    watch.start(ComplianceWatch::Limit::Voltage, settings.voltageCompliance);
    for (int i = 0; i <= kSteps; ++i) {
        link.send(kScpiAddress, QStringLiteral(":SOUR:CURR:LEV ") + real(current));
        const double voltage = link.query(kScpiAddress, QStringLiteral(":READ?"));
        store.setLivePoint(1, i + 1, voltage, current, watch.note(voltage, current));
        host.reportProgress(currentSweepPoint(i + 1, kSteps + 1, current));
        host.drawChart();
        link.throwDeferred();
        current = levels.next();
    }
    guard.switchOff();
}

QString test2636(CheckedBus& link, QStringList& problems) {
    OutputGuard guard(link.gpib(), kTspAddress, problems);
    link.setTimeout(1000);
    for (const char* line :
         {"localnode.prompts = 0", "reset()", "smua.source.outputenableaction = smua.OE_NONE",
          "display.screen = display.SMUA", "display.smua.measure.func = display.MEASURE_DCAMPS",
          "smua.source.func = smua.OUTPUT_DCVOLTS", "smua.source.autorangev = smua.AUTORANGE_ON",
          "smua.source.levelv = 15", "smua.source.limiti = 0.01",
          "smua.source.autorangei = smua.AUTORANGE_ON", "smua.measure.lowrangei =1E-3",
          "smua.measure.nplc = 1"}) {
        link.send(kTspAddress, QString::fromLatin1(line));
    }
    guard.outputSwitchedOn();
    link.send(kTspAddress, QStringLiteral("smua.source.output = smua.OUTPUT_ON"));
    const QString query = QStringLiteral("print(smua.measure.i())");
    link.send(kTspAddress, query);
    const QByteArray reply = link.readText(kTspAddress);
    guard.switchOff();
    // The test shows what the unit said, and says so when it was no reading.
    if (!CheckedBus::number(reply)) {
        problems << CheckedBus::notANumber(kTspAddress, query, reply);
    }
    return text::fromCp1251(reply);
}

ManualRegime::ManualRegime(CheckedBus& link, series::SeriesStore& store, SegmentState& segment,
                           IvHost& host)
    : link_(link),
      store_(store),
      segment_(segment),
      host_(host),
      sweep_(link, store, segment, host) {}

void ManualRegime::setUp(double range, const SweepOptions& options, QStringList& problems) {
    guard_ =
        std::make_unique<OutputGuard>(link_.gpib(), kScpiAddress, problems, options.picoammeter);
    segment_.compliance.start(ComplianceWatch::Limit::Current, options.compliance);
    link_.setTimeout(1000);
    for (const QString& command :
         {QStringLiteral("*RST"), QStringLiteral(":SOUR:FUNC VOLT"),
          QStringLiteral(":SOUR:VOLT:MODE FIXED"), QStringLiteral(":SOUR:VOLT:RANG ") + real(range),
          QStringLiteral(":SENS:CURR:PROT ") + real(options.compliance),
          options.realVoltage ? QStringLiteral(":FORM:ELEM VOLT")
                              : QStringLiteral(":FORM:ELEM CURR"),
          QStringLiteral(":SOUR:VOLT:LEV ") + real(options.firstLevel)}) {
        link_.send(kScpiAddress, command);
    }
    sweep_.setUpPicoammeter(options);
    guard_->outputSwitchedOn();
    link_.send(kScpiAddress, QStringLiteral(":OUTP ON"));
    for (int i = 0; i < 3; ++i) {
        link_.setTimeout(1000);
    }
}

bool ManualRegime::recordBarPoint(int model, const SweepOptions& options) {
    const double level = host_.manualVoltage();
    segment_.level = level;
    if (model != kModel2400 && model != kModel2410) {
        return false;
    }
    const auto range = voltageRange(model, std::fabs(level));
    if (!range) {
        throw AcquisitionEnded(
            QStringLiteral("The bar's voltage %1 V is beyond the ranges of the %2: the "
                           "measurement was ended.")
                .arg(text::generalTextForDisplay(level))
                .arg(model));
    }
    const int segment = std::clamp(segment_.segmentIndex, 1, series::SeriesStore::kSegments);
    if (segment_.pointCounter >= series::SeriesStore::kMaxPoints) {
        throw IvSweep::tableFull(segment);
    }
    link_.send(kScpiAddress, QStringLiteral(":SOUR:VOLT:RANG ") + real(*range));
    link_.send(kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV ") + real(level));
    double voltage = level;
    if (options.realVoltage) {
        link_.send(kScpiAddress, QStringLiteral(":FORM:ELEM VOLT"));
        voltage = link_.query(kScpiAddress, QStringLiteral(":READ?"));
    }
    double current = 0;
    if (options.picoammeter) {
        current = sweep_.readPicoammeter();
        if (level == segment_.segmentEnd) {
            current = sweep_.readPicoammeter();
        }
    } else {
        link_.send(kScpiAddress, QStringLiteral(":FORM:ELEM CURR"));
        current = link_.query(kScpiAddress, QStringLiteral(":READ?"));
    }
    const int point = ++segment_.pointCounter;
    store_.setLivePoint(segment, point, voltage, current, atCompliance(current, level, options));
    host_.drawChart();
    return true;
}

// The regime may have been chosen in the middle of another run: one that watched nothing yet
// starts watching the current here; a current sweep's tally is of its voltage, so a bar
// point inside it is judged on its own.
bool ManualRegime::atCompliance(double current, double level, const SweepOptions& options) {
    ComplianceWatch& watch = segment_.compliance;
    if (watch.watches(ComplianceWatch::Limit::None)) {
        watch.start(ComplianceWatch::Limit::Current, options.compliance);
    }
    return watch.watches(ComplianceWatch::Limit::Current)
               ? watch.note(current, level)
               : ComplianceWatch::atLimit(current, options.compliance);
}

void ManualRegime::finish(const SweepOptions& options, double holdLevel) {
    if (options.timeDependence) {
        host_.runTimeDependence();
        link_.throwDeferred();
    }
    for (int i = 0; i < 6; ++i) {
        link_.setTimeout(1000);
    }
    if (options.holdAround) {
        sweep_.holdLoop(holdLevel);
    }
    if (guard_) {
        guard_->switchOff();
    }
}

}  // namespace tarvix::iv
