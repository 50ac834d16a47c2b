#include "journal/ThermoJournal.h"

#include <QVariant>
#include <cmath>

#include "journal/JournalDatabase.h"
#include "journal/MeasurementHistory.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::journal {

namespace {

using thermo::ThermoRecord;
using thermo::ThermoRunKind;

QString kindName(ThermoRunKind kind) {
    return kind == ThermoRunKind::Thermocouple ? QStringLiteral("thermocouple")
                                               : QStringLiteral("four-probe");
}

// SQLite keeps a NaN (a missing reading) as NULL.
QVariant realOrNull(double value) {
    return std::isnan(value) ? QVariant() : QVariant(value);
}

QString now() {
    return QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
}

}  // namespace

ThermoJournal::ThermoJournal(JournalDatabase& db, ThermoRecord& record) : db_(db), record_(record) {
    if (db_.isOpen()) {
        insertSample_ = QSqlQuery(db_.database());
        insertSample_.prepare(
            QStringLiteral("INSERT OR REPLACE INTO point (measurement_id, segment, idx, x, y, z, "
                           "w, t) VALUES (?, 1, ?, ?, ?, ?, ?, ?)"));
    }
}

void ThermoJournal::setState(const char* state) {
    if (runId_ <= 0) {
        return;
    }
    QSqlQuery query(db_.database());
    query.prepare(
        QStringLiteral("UPDATE measurement SET state = ?, ended = coalesce(ended, ?) "
                       "WHERE id = ?"));
    query.addBindValue(QString::fromLatin1(state));
    query.addBindValue(now());
    query.addBindValue(runId_);
    query.exec();
    db_.sync();
}

// A record that was saved, or came from the database, keeps its state when a run replaces it.
void ThermoJournal::runStarted(ThermoRunKind kind) {
    if (unsaved_) {
        setState("replaced");
    }
    unsaved_ = true;
    runId_ = 0;
    if (!db_.isOpen()) {
        return;
    }
    QSqlQuery query(db_.database());
    query.prepare(QStringLiteral("INSERT INTO measurement (kind, started) VALUES (?, ?)"));
    query.addBindValue(kindName(kind));
    query.addBindValue(now());
    if (query.exec()) {
        runId_ = query.lastInsertId().toLongLong();
        db_.describe(runId_, kindName(kind));
    }
}

void ThermoJournal::sampleStored(int sample) {
    if (runId_ <= 0 || sample < 1 || sample > ThermoRecord::kMaxSamples) {
        return;
    }
    const auto k = static_cast<std::size_t>(sample);
    insertSample_.bindValue(0, runId_);
    insertSample_.bindValue(1, sample);
    insertSample_.bindValue(2, realOrNull(record_.thermoTemp[k]));
    insertSample_.bindValue(3, realOrNull(record_.thermoResistance[k]));
    insertSample_.bindValue(4, realOrNull(record_.thermoRefTemp[k]));
    insertSample_.bindValue(5, realOrNull(record_.thermoTcTemp[k]));
    insertSample_.bindValue(6, realOrNull(record_.thermoTime[k]));
    insertSample_.exec();
    unsaved_ = true;
    db_.written();
}

void ThermoJournal::loaded(qint64 id) {
    if (unsaved_) {
        setState("replaced");
    }
    unsaved_ = false;
    runId_ = id;
}

bool ThermoJournal::hasUnsaved() const {
    return unsaved_ && record_.thermoCount > 0;
}

void ThermoJournal::recordSaved(const QString& file) {
    if (runId_ > 0) {
        recordFile(db_.database(), runId_, file, QStringLiteral("saved"));
    }
    unsaved_ = false;
    setState("saved");
}

RecoveredRecord ThermoJournal::recover() {
    RecoveredRecord found;
    if (!db_.isOpen()) {
        return found;
    }
    QSqlQuery run(db_.database());
    run.exec(
        QStringLiteral("SELECT id, kind, started, coalesce(ended, started) FROM measurement "
                       "WHERE kind IN ('four-probe', 'thermocouple') AND state = 'unsaved' "
                       "ORDER BY id DESC LIMIT 1"));
    if (!run.next()) {
        return found;
    }
    runId_ = run.value(0).toLongLong();
    found.kind = thermoRunKind(run.value(1).toString());
    found.started = QDateTime::fromString(run.value(2).toString(), Qt::ISODateWithMs);
    found.ended = QDateTime::fromString(run.value(3).toString(), Qt::ISODateWithMs);
    run.finish();
    found.samples = readThermoRecord(db_.database(), runId_, found.kind, record_);
    unsaved_ = found.samples > 0;
    if (found.samples == 0) {
        setState("replaced");
        runId_ = 0;
        found.kind = ThermoRunKind::None;
    }
    return found;
}

}  // namespace tarvix::journal
