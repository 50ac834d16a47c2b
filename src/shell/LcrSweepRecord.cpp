#include "shell/LcrSweepRecord.h"

#include "journal/FinishedMeasurement.h"
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
    journal::storeFinishedMeasurement(db.database(), measurement);
    db.sync();
}

}  // namespace tarvix::shell
