// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/IvSweep.h"

#include <QTime>
#include <algorithm>
#include <cmath>

#include "iv/AddressScan.h"
#include "iv/OutputGuard.h"
#include "iv/SegmentLevels.h"
#include "text/ClockText.h"
#include "text/NumberText.h"

namespace tarvix::iv {

namespace {

constexpr int kPicoammeterNumberLength = 13;

QString real(double value) {
    return text::defaultReal(value);
}

}  // namespace

long long segmentElapsedMs(double startDays, double endDays) {
    const long long total = std::llround((endDays - startDays) * 86400000.0);
    const long long withinDay = ((total % 86400000LL) + 86400000LL) % 86400000LL;
    return withinDay % 3600000LL;
}

IvSweep::IvSweep(CheckedBus& link, series::SeriesStore& store, SegmentState& segment, IvHost& host)
    : link_(link), store_(store), segment_(segment), host_(host) {}

AcquisitionEnded IvSweep::tableFull(int segment) {
    return AcquisitionEnded(QStringLiteral("Segment %1 holds %2 points, as many as a series "
                                           "can keep: the measurement was ended there.")
                                .arg(segment)
                                .arg(series::SeriesStore::kMaxPoints));
}

double IvSweep::readPicoammeter() {
    return link_.query(kPicoammeterAddress, QStringLiteral("READ?"), kPicoammeterNumberLength);
}

void IvSweep::peakAndFirstLevel(const SweepPlan& plan, const IvHost& host, double& peak,
                                double& firstLevel) {
    peak = -1000;
    bool firstFound = false;
    firstLevel = 0;
    for (int segment = 1; segment <= 8; ++segment) {
        if (!host.segmentEnabled(segment)) {
            continue;
        }
        const double start = plan.start[static_cast<size_t>(segment)];
        const double end = plan.end[static_cast<size_t>(segment)];
        peak = std::max({peak, std::fabs(start), std::fabs(end)});
        if (!firstFound) {
            firstLevel = start;
            firstFound = true;
        }
    }
}

void IvSweep::setUpSourceMeter(const SweepOptions& options) {
    link_.setTimeout(1000);
    if (options.address == kTspAddress) {
        for (const QString& line :
             {QStringLiteral("localnode.prompts = 0"), QStringLiteral("reset()"),
              QStringLiteral("display.screen = display.SMUA"),
              QStringLiteral("display.smua.measure.func = display.MEASURE_DCAMPS"),
              QStringLiteral("smua.source.autorangev = smua.AUTORANGE_ON"),
              QStringLiteral("smua.source.levelv = ") + real(options.firstLevel),
              QStringLiteral("smua.source.limiti = ") + real(options.compliance),
              QStringLiteral("smua.source.autorangei = smua.AUTORANGE_ON"),
              QStringLiteral("smua.measure.lowrangei =1E-8"),
              QStringLiteral("smua.measure.nplc = 1")}) {
            link_.send(kTspAddress, line);
        }
        return;
    }
    for (const QString& command : {QStringLiteral("*RST"), QStringLiteral(":SOUR:FUNC VOLT"),
                                   QStringLiteral(":SOUR:VOLT:MODE FIXED"),
                                   QStringLiteral(":SOUR:VOLT:RANG ") + real(options.range),
                                   QStringLiteral(":SENS:CURR:PROT ") + real(options.compliance),
                                   options.realVoltage ? QStringLiteral(":FORM:ELEM VOLT")
                                                       : QStringLiteral(":FORM:ELEM CURR"),
                                   QStringLiteral(":SOUR:VOLT:LEV ") + real(options.firstLevel)}) {
        link_.send(kScpiAddress, command);
    }
}

void IvSweep::setUpPicoammeter(const SweepOptions& options) {
    if (!options.picoammeter) {
        return;
    }
    for (const QString& command : {QStringLiteral("*RST"), QStringLiteral("CURR:RANG:AUTO ON"),
                                   options.picoammeterNplc, QStringLiteral("SYST:ZCH OFF")}) {
        link_.send(kPicoammeterAddress, command);
    }
    for (int i = 0; i < 3; ++i) {
        link_.setTimeout(1000);
    }
}

void IvSweep::outputOn(const SweepOptions& options) {
    if (options.address == kTspAddress) {
        link_.send(kTspAddress, QStringLiteral("smua.source.output = smua.OUTPUT_ON"));
    } else {
        link_.send(kScpiAddress, QStringLiteral(":OUTP ON"));
    }
    for (int i = 0; i < 3; ++i) {
        link_.setTimeout(1000);
    }
}

void IvSweep::holdLoop(double level) {
    link_.send(kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV ") + real(level));
    link_.send(kScpiAddress, QStringLiteral(":SENS:FUNC \"VOLT\""));
    link_.send(kScpiAddress, QStringLiteral(":FORM:ELEM VOLT"));
    bool released = false;
    do {
        link_.query(kScpiAddress, QStringLiteral(":READ?"));
        host_.letEventsRun();
        link_.throwDeferred();
        released = host_.takeHoldRelease();
    } while (!released && !host_.stopRequested());
}

void IvSweep::lcrUnderBias(double level) {
    link_.send(kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV ") + real(level));
    link_.send(kScpiAddress, QStringLiteral(":SENS:FUNC \"VOLT\""));
    link_.send(kScpiAddress, QStringLiteral(":FORM:ELEM VOLT"));
    host_.sleepMs(1000);
    link_.query(kScpiAddress, QStringLiteral(":READ?"));
    host_.sleepMs(5000);
    host_.runLcrSweep();
    link_.throwDeferred();
}

void IvSweep::programLevel(double level, const SweepOptions& options) {
    if (options.address == kTspAddress) {
        link_.send(kTspAddress, QStringLiteral("smua.source.levelv = ") + real(level));
    } else {
        link_.send(kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV ") + real(level));
    }
}

double IvSweep::measureVoltage(double level, bool firstPoint, const SweepOptions& options) {
    if (!options.realVoltage || options.address == kTspAddress) {
        return level;
    }
    if (firstPoint) {
        link_.send(kScpiAddress, QStringLiteral(":SENS:FUNC \"VOLT\""));
    }
    link_.send(kScpiAddress, QStringLiteral(":FORM:ELEM VOLT"));
    return link_.query(kScpiAddress, QStringLiteral(":READ?"));
}

double IvSweep::measureCurrent(bool firstPoint, bool atSegmentEnd, const SweepOptions& options) {
    if (options.picoammeter) {
        const int readings = firstPoint ? 3 : (atSegmentEnd ? 2 : 1);
        double current = 0;
        for (int i = 0; i < readings; ++i) {
            current = readPicoammeter();
        }
        return current;
    }
    if (options.address == kTspAddress) {
        link_.send(kTspAddress, QStringLiteral("print(smua.measure.i())"));
        if (firstPoint) {
            host_.sleepMs(100);
        }
        return link_.read(kTspAddress);
    }
    link_.send(kScpiAddress, QStringLiteral(":SENS:FUNC \"CURR\""));
    link_.send(kScpiAddress, QStringLiteral(":FORM:ELEM CURR"));
    return link_.query(kScpiAddress, QStringLiteral(":READ?"));
}

void IvSweep::storePoint(int segment, double voltage, double current) {
    const bool atCompliance = segment_.compliance.note(current, segment_.level);
    store_.setLivePoint(segment, segment_.pointCounter, voltage, current, atCompliance);
    host_.reportProgress(progress_.point(segment, segment_.pointCounter, segment_.level));
}

// One point at the running level. A failed exchange throws before anything is stored, so the
// table keeps exactly the points measured before it.
void IvSweep::measurePoint(int segment, bool firstPoint, const SweepOptions& options) {
    if (segment_.pointCounter >= series::SeriesStore::kMaxPoints) {
        throw tableFull(segment);
    }
    const double level = segment_.level;
    double voltage = 0;
    double current = 0;
    try {
        programLevel(level, options);
        voltage = measureVoltage(level, firstPoint, options);
        current = measureCurrent(firstPoint, !firstPoint && level == segment_.segmentEnd, options);
    } catch (const AcquisitionEnded&) {
        // The status line tells the level the fault came at.
        host_.reportProgress(progress_.point(segment, segment_.pointCounter, level));
        throw;
    }
    ++segment_.pointCounter;
    storePoint(segment, voltage, current);
    host_.drawChart();
    link_.throwDeferred();
}

void IvSweep::runSegment(int segment, double start, double end, int stepCount,
                         const SweepOptions& options) {
    store_.liveLabel(segment) = text::longTimeText(QTime::currentTime());
    segment_.startDays = text::nowAsDays();
    segment_.segmentEnd = end;
    segment_.segmentIndex = segment;
    if (host_.stopRequested()) {
        return;
    }
    // The level is the shared one: a point that a bar move records in the middle of the
    // segment sets it too, and the next step goes on from there.
    SegmentLevels levels(start, end, stepCount);
    double& level = segment_.level;
    level = start;
    segment_.step = levels.step();
    segment_.pointCounter = 0;
    segment_.finished = false;

    double programmed = level;
    measurePoint(segment, true, options);
    // At least one more point, as a segment from a level to itself has two.
    do {
        if (level != programmed) {
            levels.restartFrom(level);
        }
        level = host_.manualMode() ? static_cast<double>(host_.manualVoltage()) : levels.next();
        programmed = level;
        measurePoint(segment, false, options);
    } while (level != end && !host_.stopRequested());
    segment_.finished = true;
    const long long elapsed = segmentElapsedMs(segment_.startDays, text::nowAsDays());
    store_.liveLabel(segment) += QStringLiteral("/%1ms").arg(elapsed);
    store_.endLiveSegment(segment);
    host_.drawChart();
}

void IvSweep::commitRepetition() {
    // The store holds 150 series; Start made sure every repetition has a slot.
    if (store_.commitLive(store_.seriesCount + 1)) {
        ++store_.seriesCount;
    }
    store_.clearLive();
    store_.clearLiveLabels();
}

void IvSweep::runRepetitions(const SweepPlan& plan, const SweepOptions& options) {
    for (int repetition = 1; repetition <= plan.repeatCount; ++repetition) {
        progress_.setRepetition(repetition);
        try {
            for (int segment = 1; segment <= 8; ++segment) {
                if (host_.segmentEnabled(segment)) {
                    runSegment(segment, plan.start[static_cast<size_t>(segment)],
                               plan.end[static_cast<size_t>(segment)], plan.stepCount, options);
                }
            }
        } catch (const AcquisitionEnded&) {
            // The points measured before the fault are kept as a series of their own.
            if (store_.liveSegmentCount() > 0) {
                commitRepetition();
            }
            throw;
        }
        commitRepetition();
    }
}

void IvSweep::runVoltageSweep(const SweepPlan& plan, const SweepOptions& options,
                              QStringList& problems) {
    OutputGuard guard(link_.gpib(), options.address, problems, options.picoammeter);
    segment_.compliance.start(ComplianceWatch::Limit::Current, options.compliance);
    setUpSourceMeter(options);
    setUpPicoammeter(options);
    guard.outputSwitchedOn();
    outputOn(options);
    if (options.holdAround) {
        holdLoop(plan.start[1]);
    }
    if (options.lcrUnderBias) {
        lcrUnderBias(plan.start[1]);
    }
    progress_.start(plan, host_);
    runRepetitions(plan, options);
    if (options.timeDependence) {
        host_.runTimeDependence();
        link_.throwDeferred();
    }
    if (options.holdAround) {
        holdLoop(plan.start[1]);
    }
    guard.switchOff();
}

}  // namespace tarvix::iv
