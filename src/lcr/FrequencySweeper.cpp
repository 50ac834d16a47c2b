#include "lcr/FrequencySweeper.h"

#include "lcr/FrqFile.h"
#include "lcr/LcrCommands.h"
#include "lcr/MeterReply.h"
#include "text/Cp1251.h"
#include "text/DecimalParse.h"
#include "text/FileError.h"

namespace tarvix::lcr {

namespace {
// "Very slow" leaves readings queued in the meter; they are read and dropped before FETC?.
constexpr int kVerySlowDiscardedReplies = 3;

// The status line's view of a sweep: point i of N at its frequency.
status::Progress sweepProgress(const FreqSweep& sweep, int i,
                               std::optional<status::Ending> ending = std::nullopt,
                               const QString& reason = {}) {
    status::Progress progress;
    progress.stage = QStringLiteral("LCR sweep");
    progress.counters = {{QStringLiteral("point"), i, sweep.sweepCount}};
    progress.reading =
        QStringLiteral("%1 Hz").arg(sweep.sweepFreq[static_cast<size_t>(i)], 0, 'f', 2);
    progress.done = i;
    progress.total = sweep.sweepCount;
    progress.ending = ending;
    progress.reason = reason;
    return progress;
}
}  // namespace

FrequencySweeper::FrequencySweeper(bus::GpibBus& bus, LcrHost& host, FreqSweep& sweep)
    : bus_(bus), host_(host), sweep_(sweep) {}

SweepReport FrequencySweeper::run(const SweepSettings& settings) {
    SweepReport report;
    if (const QString reason = refusalReason(settings); !reason.isEmpty()) {
        host_.showMessage(reason);
        report.outcome = SweepReport::Outcome::Refused;
        return report;
    }
    takeSettings(settings);
    configureMeter(settings);

    FrqFile file(settings.fileBaseName);
    if (const int error = file.open(); error != 0) {
        stopOnFileError(error, report);
        return report;
    }
    for (int i = 1; i <= sweep_.sweepCount; ++i) {
        if (!measurePoint(i, settings, file, report)) {
            return report;
        }
        if (stopAfter(i, report)) {
            break;
        }
    }
    if (const int error = file.commit(); error != 0) {
        stopOnFileError(error, report);
        return report;
    }
    if (const QString message = unreadableReadingsMessage(report); !message.isEmpty()) {
        host_.showMessage(message);
    }
    host_.reportProgress(
        sweepProgress(sweep_, sweep_.sweepCount,
                      report.stopped ? status::Ending::Stopped : status::Ending::Finished));
    return report;
}

void FrequencySweeper::takeSettings(const SweepSettings& settings) {
    sweep_.triggerDelay = settings.triggerDelay;
    sweep_.Fmin = settings.fmin;
    sweep_.Fmax = settings.fmax;
    sweep_.sweepCount = settings.pointCount;
    sweep_.resetExtremes();
    sweep_.primaryCode = settings.primaryCode;
    sweep_.secondaryCode = settings.secondaryCode;
    sweep_.biasMode = settings.biasMode;
    sweep_.meterAverage = settings.meterAverage;
    sweep_.readingsPerPoint = settings.readingsPerPoint;
}

void FrequencySweeper::configureMeter(const SweepSettings& settings) {
    bus_.setTimeout(kBusTimeout);
    const MeterSetup setup{sweep_.primaryCode,  sweep_.secondaryCode, settings.speed,
                           sweep_.meterAverage, sweep_.biasMode,      sweep_.triggerDelay,
                           settings.acLevelMv};
    for (const std::string& command : setupCommands(setup)) {
        bus_.send(kLcrAddress, command);
    }
}

QByteArray FrequencySweeper::readReply() {
    bus_.enter(gpibReply_, kLcrReplyLength, kLcrAddress);
    return bus::GpibBus::replyText(gpibReply_);
}

bool FrequencySweeper::measurePoint(int i, const SweepSettings& settings, FrqFile& file,
                                    SweepReport& report) {
    const auto at = static_cast<size_t>(i);
    sweep_.sweepPrimary[at] = 0;
    sweep_.sweepSecondary[at] = 0;
    QByteArray lastValueText;
    for (int reading = 0; reading < sweep_.readingsPerPoint; ++reading) {
        const QString frequency = frequencyText(
            gridFrequency(i, sweep_.sweepCount, sweep_.Fmin, sweep_.Fmax, settings.logGrid));
        sweep_.sweepFreq[at] = text::parseDecimal(frequency).value_or(0.0);
        bus_.send(kLcrAddress, frequencyCommand(frequency));
        bus_.send(kLcrAddress, kMeasureCommand);
        if (settings.speed == MeasuringSpeed::VerySlow) {
            for (int discarded = 0; discarded < kVerySlowDiscardedReplies; ++discarded) {
                readReply();
            }
        }
        bus_.send(kLcrAddress, kFetchCommand);
        const QByteArray reply = readReply();
        ++report.readings;
        if (const int error = file.writeReading(reply, sweep_.sweepFreq[at]); error != 0) {
            stopOnFileError(error, report);
            return false;
        }
        const MeterReply values = parseMeterReply(reply);
        sweep_.sweepPrimary[at] += values.primary.value_or(0.0);
        sweep_.sweepSecondary[at] += values.secondary.value_or(0.0);
        if (!values.primary || (values.secondaryText && !values.secondary)) {
            ++report.unreadableReadings;
        }
        lastValueText = values.lastValueText();
    }
    sweep_.sweepPrimary[at] /= sweep_.readingsPerPoint;
    sweep_.sweepSecondary[at] /= sweep_.readingsPerPoint;
    sweep_.widenExtremes(i);
    host_.showLastData(text::fromCp1251(lastValueText));
    host_.reportProgress(sweepProgress(sweep_, i));
    if (bus_.gpibStatus() != 0) {
        host_.showMessage(QString::number(bus_.gpibStatus()));
    }
    return true;
}

// Between points the window runs its events, so it repaints and Stop reaches the sweep; the
// sweep then ends with the points measured so far, as the I-V sweep does.
bool FrequencySweeper::stopAfter(int i, SweepReport& report) {
    host_.processEvents();
    if (!host_.stopRequested() || i == sweep_.sweepCount) {
        return false;
    }
    sweep_.sweepCount = i;
    report.stopped = true;
    return true;
}

void FrequencySweeper::stopOnFileError(int code, SweepReport& report) {
    report.outcome = SweepReport::Outcome::FileFailed;
    host_.reportProgress(
        sweepProgress(sweep_, 0, status::Ending::Ended, text::fileErrorText(code)));
    host_.showMessage(text::fileErrorText(code));
}

QString unreadableReadingsMessage(const SweepReport& report) {
    if (report.unreadableReadings == 0) {
        return {};
    }
    return QStringLiteral(
               "%1 of %2 readings of the LCR meter held no readable value where the tab-separated "
               "reply should carry it; they added nothing to their points.")
        .arg(report.unreadableReadings)
        .arg(report.readings);
}

}  // namespace tarvix::lcr
