// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/FrequencySweeper.h"

#include <cmath>
#include <limits>

#include "lcr/ExternalBias.h"
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
constexpr int kInternalBias = 2;
constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
const QString kSweepName = QStringLiteral("The frequency sweep");

// The status line's view of a sweep: point i of N at its frequency (none before point 1).
status::Progress sweepProgress(const FreqSweep& sweep, int i,
                               std::optional<status::Ending> ending = std::nullopt,
                               const QString& reason = {}) {
    status::Progress progress;
    progress.stage = QStringLiteral("LCR sweep");
    progress.counters = {{QStringLiteral("point"), i, sweep.sweepCount}};
    if (i >= 1) {
        progress.reading =
            QStringLiteral("%1 Hz").arg(sweep.sweepFreq[static_cast<size_t>(i)], 0, 'f', 2);
    }
    progress.done = i;
    progress.total = sweep.sweepCount;
    progress.ending = ending;
    progress.reason = reason;
    return progress;
}
}  // namespace

FrequencySweeper::FrequencySweeper(bus::GpibBus& bus, LcrHost& host, FreqSweep& sweep,
                                   SweepObserver* observer)
    : bus_(bus), host_(host), sweep_(sweep), observer_(observer) {}

// A sweep that switched the meter's internal bias on switches it off however it ends.
SweepReport FrequencySweeper::run(const SweepSettings& settings) {
    SweepReport report;
    if (const QString reason = refusalReason(settings); !reason.isEmpty()) {
        host_.showMessage(reason);
        report.outcome = SweepReport::Outcome::Refused;
        return report;
    }
    takeSettings(settings);
    measure(settings, report);
    // A bias the meter never took on needs no word when the switch-off fails too.
    if (settings.biasMode == kInternalBias) {
        const QString failure = sendBiasChecked(
            bus_, 0, QStringLiteral("The internal bias was not switched off after the sweep"));
        if (!failure.isEmpty() && report.biasTaken) {
            host_.showMessage(failure);
        }
    }
    return report;
}

void FrequencySweeper::measure(const SweepSettings& settings, SweepReport& report) {
    if (!configureMeter(settings, report)) {
        report.outcome = SweepReport::Outcome::SetupFailed;
        host_.showMessage(
            QStringLiteral("%1 was not started: %2.").arg(kSweepName, fault_->text()));
        return;
    }
    FrqFile file(settings.fileBaseName);
    if (const int error = file.open(); error != 0) {
        stopOnFileError(error, 0, report);
        return;
    }
    if (observer_) {
        observer_->sweepStarted(settings, file.absolutePath());
    }
    faults_.reset();
    for (int i = 1; i <= sweep_.sweepCount; ++i) {
        if (!measurePoint(i, settings, file, report)) {
            return;
        }
        if (stopAfter(i, report)) {
            break;
        }
        if (faults_.endsRun() || host_.endRequested()) {
            endEarly(i, report);
            break;
        }
    }
    if (const int error = file.commit(); error != 0) {
        stopOnFileError(error, sweep_.sweepCount, report);
        return;
    }
    if (observer_) {
        observer_->sweepWritten(file.absolutePath());
    }
    report.unreadableReadings = faults_.missing();
    if (const QString message = faults_.summary(kSweepName); !message.isEmpty()) {
        host_.showMessage(message);
    }
    reportEnd(report);
}

// Failures that ended the sweep say so, with the frequency it got to; a closing window only
// ends it.
void FrequencySweeper::reportEnd(const SweepReport& report) {
    status::Ending ending = status::Ending::Finished;
    QString reason;
    if (report.stopped) {
        ending = status::Ending::Stopped;
    } else if (faults_.endsRun()) {
        ending = status::Ending::Fault;
        reason = faults_.endReason();
    } else if (report.outcome == SweepReport::Outcome::Ended) {
        ending = status::Ending::Ended;
    }
    host_.reportProgress(sweepProgress(sweep_, sweep_.sweepCount, ending, reason));
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

bool FrequencySweeper::configureMeter(const SweepSettings& settings, SweepReport& report) {
    bus_.setTimeout(kBusTimeout);
    const MeterSetup setup{sweep_.primaryCode,  sweep_.secondaryCode, settings.speed,
                           sweep_.meterAverage, sweep_.biasMode,      sweep_.triggerDelay,
                           settings.acLevelMv};
    fault_.reset();
    const std::string bias = biasCommand(sweep_.biasMode);
    for (const std::string& command : setupCommands(setup)) {
        if (!sendChecked(command)) {
            return false;
        }
        report.biasTaken = report.biasTaken || command == bias;
    }
    return true;
}

bool FrequencySweeper::sendChecked(const std::string& command) {
    bus_.send(kLcrAddress, command);
    if (bus_.gpibStatus() != 0 && !fault_) {
        fault_ =
            bus::ExchangeFault{kLcrAddress, QString::fromStdString(command), bus_.gpibStatus()};
    }
    return bus_.gpibStatus() == 0;
}

QByteArray FrequencySweeper::readReply(const char* query) {
    bus_.enter(gpibReply_, kLcrReplyLength, kLcrAddress);
    if (bus_.gpibStatus() != 0 && !fault_) {
        fault_ = bus::ExchangeFault{kLcrAddress, QString::fromLatin1(query), bus_.gpibStatus()};
    }
    return bus::GpibBus::replyText(gpibReply_);
}

std::optional<QByteArray> FrequencySweeper::takeReading(const std::string& frequencyCommand,
                                                        const SweepSettings& settings) {
    fault_.reset();
    sendChecked(frequencyCommand);
    sendChecked(kMeasureCommand);
    if (settings.speed == MeasuringSpeed::VerySlow) {
        for (int discarded = 0; discarded < kVerySlowDiscardedReplies; ++discarded) {
            readReply(kMeasureCommand);
        }
    }
    sendChecked(kFetchCommand);
    const QByteArray reply = readReply(kFetchCommand);
    if (fault_) {
        return std::nullopt;
    }
    return reply;
}

// A point with a missing reading is missing as a whole rather than the mean of fewer readings.
bool FrequencySweeper::measurePoint(int i, const SweepSettings& settings, FrqFile& file,
                                    SweepReport& report) {
    const auto at = static_cast<size_t>(i);
    double primary = 0;
    double secondary = 0;
    bool missing = false;
    QByteArray lastValueText;
    for (int reading = 0; reading < sweep_.readingsPerPoint; ++reading) {
        const QString frequency = frequencyText(
            gridFrequency(i, sweep_.sweepCount, sweep_.Fmin, sweep_.Fmax, settings.logGrid));
        sweep_.sweepFreq[at] = text::parseDecimal(frequency).value_or(0.0);
        const std::optional<QByteArray> reply = takeReading(frequencyCommand(frequency), settings);
        ++report.readings;
        // A failed exchange is logged with an empty reply: nothing the meter said is trusted.
        if (const int error = file.writeReading(reply.value_or(QByteArray()), sweep_.sweepFreq[at]);
            error != 0) {
            stopOnFileError(error, i, report);
            return false;
        }
        const MeterReply values = parseMeterReply(reply.value_or(QByteArray()));
        const bool unreadable = !values.primary || (values.secondaryText && !values.secondary);
        if (!reply) {
            faults_.record(fault_);
        } else if (unreadable) {
            faults_.recordUnreadable();
        } else {
            faults_.record(std::nullopt);
        }
        missing = missing || !reply || unreadable;
        primary += values.primary.value_or(0.0);
        secondary += values.secondary.value_or(0.0);
        lastValueText = values.lastValueText();
        if (faults_.endsRun()) {
            missing = true;
            break;
        }
    }
    sweep_.sweepPrimary[at] = missing ? kMissing : primary / sweep_.readingsPerPoint;
    sweep_.sweepSecondary[at] = missing ? kMissing : secondary / sweep_.readingsPerPoint;
    sweep_.widenExtremes(i);
    if (observer_) {
        observer_->pointStored(sweep_, i);
    }
    host_.showLastData(text::fromCp1251(lastValueText));
    host_.reportProgress(sweepProgress(sweep_, i));
    return true;
}

// The sweep keeps the points it measured; the chart shows those alone.
void FrequencySweeper::endEarly(int lastPoint, SweepReport& report) {
    sweep_.sweepCount = lastPoint;
    report.outcome = SweepReport::Outcome::Ended;
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

// A file that cannot be written is a fault of the sweep, at the point it came to.
void FrequencySweeper::stopOnFileError(int code, int point, SweepReport& report) {
    report.outcome = SweepReport::Outcome::FileFailed;
    host_.reportProgress(
        sweepProgress(sweep_, point, status::Ending::Fault, text::fileErrorText(code)));
    host_.showMessage(text::fileErrorText(code));
}

}  // namespace tarvix::lcr
