#include "shell/LcrSweepRecord.h"

#include <algorithm>
#include <map>

#include "journal/FinishedMeasurement.h"
#include "journal/MeasurementHistory.h"
#include "journal/RecoveryJournal.h"
#include "lcr/FreqSweep.h"
#include "shell/MeasurementDescription.h"
#include "shell/TForm1.h"

namespace tarvix::shell {

void recordLcrSweep(TForm1& form, const lcr::SweepSettings& settings, const lcr::FreqSweep& sweep,
                    const QDateTime& started, const QString& file) {
    journal::JournalDatabase& db = form.journal().database();
    if (!db.isOpen()) {
        return;
    }
    journal::FinishedMeasurement measurement;
    measurement.kind = QStringLiteral("lcr");
    measurement.started = started;
    measurement.ended = QDateTime::currentDateTime();
    measurement.context = describeLcrSweep(form.controls(), settings);
    measurement.file = file;
    for (int i = 1; i <= sweep.sweepCount && i <= lcr::kSweepCapacity; ++i) {
        const auto k = static_cast<std::size_t>(i);
        measurement.points.push_back(
            {sweep.sweepFreq[k], sweep.sweepPrimary[k], sweep.sweepSecondary[k]});
    }
    journal::storeFinishedMeasurement(db, measurement);
    db.sync();
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

bool readLcrSweep(QSqlDatabase& db, qint64 id, lcr::FreqSweep& sweep) {
    const std::vector<journal::PointValues> points =
        journal::readPoints(db, id, lcr::kSweepCapacity);
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
