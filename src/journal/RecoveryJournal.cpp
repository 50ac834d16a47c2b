// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/RecoveryJournal.h"

#include <QDir>

#include "series/SeriesStore.h"
#include "text/ClockText.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::journal {

RecoveryJournal::RecoveryJournal(series::SeriesStore& store, thermo::ThermoRecord& record)
    : store_(store), record_(record) {}

RecoveryJournal::~RecoveryJournal() {
    store_.setObserver(nullptr);
    record_.observer = nullptr;
}

QStringList RecoveryJournal::openAndRecover(const QString& folder) {
    return openFileAndRecover(
        folder.isEmpty() ? QString()
                         : QDir(folder).filePath(QString::fromLatin1(JournalDatabase::kFileName)));
}

QStringList RecoveryJournal::openFileAndRecover(const QString& file, JournalAccess access) {
    QStringList messages;
    QString notice;
    if (!file.isEmpty()) {
        db_.openPath(file, &notice, std::move(access));
    }
    if (!notice.isEmpty()) {
        messages << notice;
    }
    series_ = std::make_unique<SeriesJournal>(db_, store_);
    thermo_ = std::make_unique<ThermoJournal>(db_, record_);
    const RecoveredSpan series = series_->recover();
    if (series.count > 0) {
        messages << QStringLiteral(
                        "Recovered %1 unsaved series measured %2. They stay marked "
                        "unsaved until \"Save all series\" or \"Delete\".")
                        .arg(series.count)
                        .arg(text::spanText(series.first, series.last));
    }
    recoveredRecord_ = thermo_->recover();
    const RecoveredRecord& record = recoveredRecord_;
    const QString readFailure =
        series.readFailure.isEmpty() ? record.readFailure : series.readFailure;
    if (!readFailure.isEmpty()) {
        messages << QStringLiteral(
                        "Unsaved measurements in the journal could not be read (%1); they stay "
                        "there for the next start.")
                        .arg(readFailure);
    }
    if (record.samples > 0) {
        messages << QStringLiteral("Recovered an unsaved %1 record of %2 samples measured %3.")
                        .arg(record.kind == thermo::ThermoRunKind::Thermocouple
                                 ? QStringLiteral("thermocouple")
                                 : QStringLiteral("four-probe"))
                        .arg(record.samples)
                        .arg(text::spanText(record.started, record.ended));
    }
    store_.setObserver(series_.get());
    record_.observer = thermo_.get();
    return messages;
}

}  // namespace tarvix::journal
