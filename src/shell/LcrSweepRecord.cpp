// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LcrSweepRecord.h"

#include <QDir>
#include <algorithm>
#include <map>

#include "journal/LcrJournal.h"
#include "journal/MeasurementHistory.h"
#include "lcr/FreqSweep.h"
#include "shell/MeasurementDescription.h"
#include "text/ClockText.h"

namespace tarvix::shell {

QString recoveredSweepMessage(const journal::RecoveredSweep& sweep) {
    if (!sweep.readFailure.isEmpty()) {
        return QStringLiteral(
                   "The unsaved LCR sweep in the journal could not be read (%1); it stays there "
                   "for the next start.")
            .arg(sweep.readFailure);
    }
    if (sweep.points == 0) {
        return {};
    }
    const QString measured = text::spanText(sweep.first, sweep.last);
    if (sweep.file.isEmpty()) {
        return QStringLiteral(
                   "Recovered an unsaved LCR sweep of %1 points measured %2; it is in "
                   "the LCR panel.")
            .arg(sweep.points)
            .arg(measured);
    }
    return QStringLiteral(
               "Recovered an LCR sweep of %1 points measured %2, cut short when the "
               "program ended; it is in the LCR panel, and its readings are in %3.")
        .arg(sweep.points)
        .arg(measured, QDir::toNativeSeparators(sweep.file));
}

namespace {

// The numbers the sweep keeps beside its points, from the texts the database keeps.
void readSweepSettings(const std::map<QString, QString>& settings, lcr::FreqSweep& sweep) {
    const auto value = [&settings](const char* key) {
        const auto found = settings.find(QString::fromLatin1(key));
        return found == settings.end() ? QString() : found->second;
    };
    const auto code = [&value](const char* key, QString& field) {
        const QString read = value(key);
        field = read.isEmpty() ? field : read;
    };
    const auto real = [&value](const char* key, double& field) {
        bool ok = false;
        const double read = value(key).toDouble(&ok);
        field = ok ? read : field;
    };
    const auto whole = [&value](const char* key, int& field) {
        bool ok = false;
        const int read = value(key).toInt(&ok);
        field = ok ? read : field;
    };
    code("primary_code", sweep.primaryCode);
    code("secondary_code", sweep.secondaryCode);
    real("fmin_hz", sweep.Fmin);
    real("fmax_hz", sweep.Fmax);
    whole("trigger_delay_ms", sweep.triggerDelay);
    whole("readings_per_point", sweep.readingsPerPoint);
    whole("meter_average", sweep.meterAverage);
    const QString biasName = value("bias_mode");
    const auto bias =
        std::find_if(kLcrBiasNames.begin(), kLcrBiasNames.end(),
                     [&biasName](const char* name) { return biasName == QLatin1String(name); });
    sweep.biasMode = bias == kLcrBiasNames.end()
                         ? 0
                         : static_cast<int>(std::distance(kLcrBiasNames.begin(), bias));
}

}  // namespace

bool readLcrSweep(QSqlDatabase& db, qint64 id, lcr::FreqSweep& sweep, QString* readFailure) {
    const std::vector<journal::PointValues> points =
        journal::readPoints(db, id, lcr::kSweepCapacity, readFailure);
    if (points.empty()) {
        return false;
    }
    readSweepSettings(journal::readSettings(db, id), sweep);
    sweep.sweepCount = static_cast<int>(points.size());
    sweep.resetExtremes();
    for (int i = 1; i <= sweep.sweepCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const journal::PointValues& point = points[k - 1];
        sweep.sweepFreq[k] = point[0];
        sweep.sweepPrimary[k] = point[1];
        sweep.sweepSecondary[k] = point[2];
        sweep.widenExtremes(i);
    }
    return true;
}

}  // namespace tarvix::shell
