#include "iv/IvSweep.h"

#include <QTime>
#include <cmath>

#include "iv/AddressScan.h"
#include "text/ClockText.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

namespace tarvix::iv {

namespace {

constexpr int kReadingLength = 70;
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

IvSweep::IvSweep(bus::GpibBus& gpib, series::SeriesStore& store, SegmentState& segment,
                 IvHost& host)
    : gpib_(gpib), store_(store), segment_(segment), host_(host) {}

void IvSweep::send(int address, const QString& command) {
    gpib_.send(address, command.toLatin1().toStdString());
}

double IvSweep::readReply(int address) {
    gpib_.enter(reply_, kReadingLength, address);
    return text::parseReply(bus::GpibBus::replyText(reply_).toStdString()).value_or(0.0);
}

double IvSweep::readPicoammeter() {
    send(kPicoammeterAddress, QStringLiteral("READ?"));
    gpib_.enter(reply_, kReadingLength, kPicoammeterAddress);
    const QByteArray number = bus::GpibBus::replyText(reply_).left(kPicoammeterNumberLength);
    return text::parseReply(number.toStdString()).value_or(0.0);
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
    gpib_.setTimeout(1000);
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
            send(kTspAddress, line);
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
        send(kScpiAddress, command);
    }
}

void IvSweep::setUpPicoammeter(const SweepOptions& options) {
    if (!options.picoammeter) {
        return;
    }
    for (const QString& command : {QStringLiteral("*RST"), QStringLiteral("CURR:RANG:AUTO ON"),
                                   options.picoammeterNplc, QStringLiteral("SYST:ZCH OFF")}) {
        send(kPicoammeterAddress, command);
    }
    for (int i = 0; i < 3; ++i) {
        gpib_.setTimeout(1000);
    }
}

void IvSweep::outputOn(const SweepOptions& options) {
    if (options.address == kTspAddress) {
        send(kTspAddress, QStringLiteral("smua.source.output = smua.OUTPUT_ON"));
    } else {
        send(kScpiAddress, QStringLiteral(":OUTP ON"));
    }
    for (int i = 0; i < 3; ++i) {
        gpib_.setTimeout(1000);
    }
}

void IvSweep::outputOff(const SweepOptions& options) {
    if (options.address == kTspAddress) {
        send(kTspAddress, QStringLiteral("smua.source.output = smua.OUTPUT_OFF"));
    } else {
        send(kScpiAddress, QStringLiteral(":OUTP OFF"));
    }
    if (options.picoammeter) {
        send(kPicoammeterAddress, QStringLiteral("SYST:ZCH ON"));
    }
}

void IvSweep::holdLoop(double level) {
    send(kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV ") + real(level));
    send(kScpiAddress, QStringLiteral(":SENS:FUNC \"VOLT\""));
    send(kScpiAddress, QStringLiteral(":FORM:ELEM VOLT"));
    bool released = false;
    do {
        send(kScpiAddress, QStringLiteral(":READ?"));
        readReply(kScpiAddress);
        host_.letEventsRun();
        released = host_.takeHoldRelease();
    } while (!released && !host_.stopRequested());
}

void IvSweep::lcrUnderBias(double level) {
    send(kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV ") + real(level));
    send(kScpiAddress, QStringLiteral(":SENS:FUNC \"VOLT\""));
    send(kScpiAddress, QStringLiteral(":FORM:ELEM VOLT"));
    host_.sleepMs(1000);
    send(kScpiAddress, QStringLiteral(":READ?"));
    readReply(kScpiAddress);
    host_.sleepMs(5000);
    host_.runLcrSweep();
}

void IvSweep::programLevel(double level, const SweepOptions& options) {
    if (options.address == kTspAddress) {
        send(kTspAddress, QStringLiteral("smua.source.levelv = ") + real(level));
    } else {
        send(kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV ") + real(level));
    }
}

double IvSweep::measureVoltage(double level, bool firstPoint, const SweepOptions& options) {
    if (!options.realVoltage || options.address == kTspAddress) {
        return level;
    }
    if (firstPoint) {
        send(kScpiAddress, QStringLiteral(":SENS:FUNC \"VOLT\""));
    }
    send(kScpiAddress, QStringLiteral(":FORM:ELEM VOLT"));
    send(kScpiAddress, QStringLiteral(":READ?"));
    return readReply(kScpiAddress);
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
        send(kTspAddress, QStringLiteral("print(smua.measure.i())"));
        if (firstPoint) {
            host_.sleepMs(100);
        }
        return readReply(kTspAddress);
    }
    send(kScpiAddress, QStringLiteral(":SENS:FUNC \"CURR\""));
    send(kScpiAddress, QStringLiteral(":FORM:ELEM CURR"));
    send(kScpiAddress, QStringLiteral(":READ?"));
    return readReply(kScpiAddress);
}

void IvSweep::storePoint(int segment, double voltage, double current) {
    const int point = segment_.pointCounter;
    float* currents = store_.liveCurrent(segment);
    float* voltages = store_.liveVoltage(segment);
    voltages[point] = static_cast<float>(voltage);
    currents[point] = static_cast<float>(current);
    currents[0] = static_cast<float>(point);
    voltages[0] = static_cast<float>(point);
    host_.reportProgress(progress_.point(segment, point, segment_.level));
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
    double& level = segment_.level;
    level = start;
    double step = std::fabs((end - start) / stepCount);
    if (start >= end) {
        step = -step;
    }
    segment_.step = step;
    segment_.pointCounter = 0;
    segment_.finished = false;

    programLevel(level, options);
    double voltage = measureVoltage(level, true, options);
    ++segment_.pointCounter;
    storePoint(segment, voltage, measureCurrent(true, false, options));
    host_.drawChart();
    // The live table holds 10000 points a segment: a longer segment ends there.
    while (segment_.pointCounter < series::SeriesStore::kMaxPoints) {
        if (host_.manualMode()) {
            level = host_.manualVoltage();
        } else {
            level += step;
            if (std::fabs((level - step) - end) < std::fabs(step)) {
                level = end;
            }
        }
        programLevel(level, options);
        voltage = measureVoltage(level, false, options);
        ++segment_.pointCounter;
        storePoint(segment, voltage, measureCurrent(false, level == end, options));
        host_.drawChart();
        if (level == end || host_.stopRequested()) {
            break;
        }
    }
    segment_.finished = true;
    const long long elapsed = segmentElapsedMs(segment_.startDays, text::nowAsDays());
    store_.liveLabel(segment) += QStringLiteral("/%1ms").arg(elapsed);
    host_.drawChart();
}

void IvSweep::runVoltageSweep(const SweepPlan& plan, const SweepOptions& options) {
    setUpSourceMeter(options);
    setUpPicoammeter(options);
    outputOn(options);
    if (options.holdAround) {
        holdLoop(plan.start[1]);
    }
    if (options.lcrUnderBias) {
        lcrUnderBias(plan.start[1]);
    }
    progress_.start(plan, host_);
    for (int repetition = 1; repetition <= plan.repeatCount; ++repetition) {
        progress_.setRepetition(repetition);
        for (int segment = 1; segment <= 8; ++segment) {
            if (host_.segmentEnabled(segment)) {
                runSegment(segment, plan.start[static_cast<size_t>(segment)],
                           plan.end[static_cast<size_t>(segment)], plan.stepCount, options);
            }
        }
        // The store holds 150 series; a sweep that would pass it ends its repetitions there.
        if (!store_.commitLive(store_.seriesCount + 1)) {
            storeFull_ = true;
            break;
        }
        ++store_.seriesCount;
        store_.clearLive();
        store_.clearLiveLabels();
    }
    if (options.timeDependence) {
        host_.runTimeDependence();
    }
    if (options.holdAround) {
        holdLoop(plan.start[1]);
    }
    outputOff(options);
}

}  // namespace tarvix::iv
