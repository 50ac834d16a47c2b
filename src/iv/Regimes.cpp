#include "iv/Regimes.h"

#include <algorithm>
#include <cmath>

#include "iv/AddressScan.h"
#include "iv/RangeTables.h"
#include "text/Cp1251.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

namespace tarvix::iv {

namespace {

constexpr int kReadingLength = 70;

void send(bus::GpibBus& gpib, int address, const QString& command) {
    gpib.send(address, command.toLatin1().toStdString());
}

double readNumber(bus::GpibBus& gpib, QByteArray& buffer, int address) {
    gpib.enter(buffer, kReadingLength, address);
    return text::parseReply(bus::GpibBus::replyText(buffer).toStdString()).value_or(0.0);
}

QString real(double value) {
    return text::defaultReal(value);
}

}  // namespace

std::optional<double> measureResistance(bus::GpibBus& gpib) {
    gpib.setTimeout(1000);
    for (const char* command : {"*RST", "FUNC \"RES\"", ":FORM:ELEM RES", ":OUTP ON", ":READ?"}) {
        gpib.send(kScpiAddress, command);
    }
    QByteArray buffer;
    gpib.enter(buffer, kReadingLength, kScpiAddress);
    if (gpib.gpibStatus() != 0) {
        return std::nullopt;
    }
    const double value =
        text::parseReply(bus::GpibBus::replyText(buffer).toStdString()).value_or(0.0);
    gpib.send(kScpiAddress, ":OUTP OFF");
    return value;
}

bool runCurrentSweep(bus::GpibBus& gpib, series::SeriesStore& store, IvHost& host,
                     const CurrentSweepSettings& settings) {
    gpib.setTimeout(1000);
    for (const char* command :
         {"*RST", ":SOUR:FUNC CURR", ":SOUR:CURR:MODE FIXED", ":SENS:FUNC \"VOLT\""}) {
        gpib.send(kScpiAddress, command);
    }
    const double peak = std::max(std::fabs(settings.currentStart), std::fabs(settings.currentEnd));
    const auto range = currentRange(peak);
    if (!range) {
        return false;
    }
    send(gpib, kScpiAddress, QStringLiteral(":SOUR:CURR:RANG ") + real(*range));
    send(gpib, kScpiAddress, QStringLiteral(":SOUR:CURR:LEV ") + real(settings.currentStart));
    send(gpib, kScpiAddress, QStringLiteral(":SENS:VOLT:PROT ") + real(settings.voltageCompliance));
    gpib.send(kScpiAddress, ":FORM:ELEM VOLT");
    gpib.send(kScpiAddress, ":OUTP ON");
    const double step = (settings.currentEnd - settings.currentStart) / 80.0;
    QByteArray buffer;
    for (int i = 0; i <= 80; ++i) {
        const double current = i * step + settings.currentStart;
        send(gpib, kScpiAddress, QStringLiteral(":SOUR:CURR:LEV ") + real(current));
        gpib.send(kScpiAddress, ":READ?");
        const double voltage = readNumber(gpib, buffer, kScpiAddress);
        store.setLivePoint(1, i + 1, voltage, current);
        host.drawChart();
    }
    gpib.send(kScpiAddress, ":OUTP OFF");
    return true;
}

std::optional<QString> test2636(bus::GpibBus& gpib) {
    gpib.setTimeout(1000);
    for (const char* line :
         {"localnode.prompts = 0", "reset()", "smua.source.outputenableaction = smua.OE_NONE",
          "display.screen = display.SMUA", "display.smua.measure.func = display.MEASURE_DCAMPS",
          "smua.source.func = smua.OUTPUT_DCVOLTS", "smua.source.autorangev = smua.AUTORANGE_ON",
          "smua.source.levelv = 15", "smua.source.limiti = 0.01",
          "smua.source.autorangei = smua.AUTORANGE_ON", "smua.measure.lowrangei =1E-3",
          "smua.measure.nplc = 1", "smua.source.output = smua.OUTPUT_ON",
          "print(smua.measure.i())"}) {
        gpib.send(kTspAddress, line);
    }
    QByteArray buffer;
    gpib.enter(buffer, kReadingLength, kTspAddress);
    if (gpib.gpibStatus() != 0) {
        return std::nullopt;
    }
    const QString reply = text::fromCp1251(bus::GpibBus::replyText(buffer));
    gpib.send(kTspAddress, "smua.source.output = smua.OUTPUT_OFF");
    return reply;
}

ManualRegime::ManualRegime(bus::GpibBus& gpib, series::SeriesStore& store, SegmentState& segment,
                           IvHost& host)
    : gpib_(gpib),
      store_(store),
      segment_(segment),
      host_(host),
      sweep_(gpib, store, segment, host) {}

void ManualRegime::setUp(double range, const SweepOptions& options) {
    gpib_.setTimeout(1000);
    for (const QString& command :
         {QStringLiteral("*RST"), QStringLiteral(":SOUR:FUNC VOLT"),
          QStringLiteral(":SOUR:VOLT:MODE FIXED"), QStringLiteral(":SOUR:VOLT:RANG ") + real(range),
          QStringLiteral(":SENS:CURR:PROT ") + real(options.compliance),
          options.realVoltage ? QStringLiteral(":FORM:ELEM VOLT")
                              : QStringLiteral(":FORM:ELEM CURR"),
          QStringLiteral(":SOUR:VOLT:LEV ") + real(options.firstLevel)}) {
        send(gpib_, kScpiAddress, command);
    }
    sweep_.setUpPicoammeter(options);
    gpib_.send(kScpiAddress, ":OUTP ON");
    for (int i = 0; i < 3; ++i) {
        gpib_.setTimeout(1000);
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
        host_.requestStop();
        return false;
    }
    send(gpib_, kScpiAddress, QStringLiteral(":SOUR:VOLT:RANG ") + real(*range));
    send(gpib_, kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV ") + real(level));
    double voltage = level;
    if (options.realVoltage) {
        gpib_.send(kScpiAddress, ":FORM:ELEM VOLT");
        gpib_.send(kScpiAddress, ":READ?");
        voltage = readNumber(gpib_, reply_, kScpiAddress);
    }
    // The live table holds 10000 points: the counter starts again at 1 beyond that.
    segment_.pointCounter =
        segment_.pointCounter >= series::SeriesStore::kMaxPoints ? 1 : segment_.pointCounter + 1;
    double current = 0;
    if (options.picoammeter) {
        current = sweep_.readPicoammeter();
        if (level == segment_.segmentEnd) {
            current = sweep_.readPicoammeter();
        }
    } else {
        gpib_.send(kScpiAddress, ":FORM:ELEM CURR");
        gpib_.send(kScpiAddress, ":READ?");
        current = readNumber(gpib_, reply_, kScpiAddress);
    }
    const int segment = std::clamp(segment_.segmentIndex, 1, series::SeriesStore::kSegments);
    const int point = segment_.pointCounter;
    store_.setLivePoint(segment, point, voltage, current);
    host_.drawChart();
    return true;
}

void ManualRegime::finish(const SweepOptions& options, double holdLevel) {
    if (options.timeDependence) {
        host_.runTimeDependence();
    }
    for (int i = 0; i < 6; ++i) {
        gpib_.setTimeout(1000);
    }
    if (options.holdAround) {
        sweep_.holdLoop(holdLevel);
    }
    gpib_.send(kScpiAddress, ":OUTP OFF");
    if (options.picoammeter) {
        gpib_.send(kPicoammeterAddress, "SYST:ZCH ON");
    }
}

}  // namespace tarvix::iv
