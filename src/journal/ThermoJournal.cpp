#include "journal/ThermoJournal.h"

#include <QVariant>
#include <cmath>

#include "journal/JournalDatabase.h"
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
double realOrNan(const QVariant& value) {
    return value.isNull() ? std::nan("") : value.toDouble();
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

void ThermoJournal::runStarted(ThermoRunKind kind) {
    setState("replaced");
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
    db_.written();
}

void ThermoJournal::recordSaved(const QString& file) {
    if (runId_ > 0) {
        QSqlQuery query(db_.database());
        query.prepare(
            QStringLiteral("INSERT OR REPLACE INTO context (measurement_id, key, value) "
                           "VALUES (?, 'file', ?)"));
        query.addBindValue(runId_);
        query.addBindValue(file);
        query.exec();
    }
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
    found.kind = run.value(1).toString() == QStringLiteral("thermocouple")
                     ? ThermoRunKind::Thermocouple
                     : ThermoRunKind::FourProbe;
    found.started = QDateTime::fromString(run.value(2).toString(), Qt::ISODateWithMs);
    found.ended = QDateTime::fromString(run.value(3).toString(), Qt::ISODateWithMs);
    run.finish();
    QSqlQuery samples(db_.database());
    samples.prepare(
        QStringLiteral("SELECT idx, x, y, z, w, t FROM point WHERE measurement_id = ? "
                       "AND segment = 1 AND idx BETWEEN 1 AND ?"));
    samples.addBindValue(runId_);
    samples.addBindValue(ThermoRecord::kMaxSamples);
    samples.exec();
    while (samples.next()) {
        const int sample = samples.value(0).toInt();
        const auto k = static_cast<std::size_t>(sample);
        record_.thermoTemp[k] = realOrNan(samples.value(1));
        record_.thermoResistance[k] = realOrNan(samples.value(2));
        record_.thermoRefTemp[k] = realOrNan(samples.value(3));
        record_.thermoTcTemp[k] = realOrNan(samples.value(4));
        record_.thermoTime[k] = realOrNan(samples.value(5));
        found.samples = std::max(found.samples, sample);
    }
    record_.thermoCount = found.samples;
    record_.filledBy = found.samples > 0 ? found.kind : ThermoRunKind::None;
    if (found.samples == 0) {
        setState("replaced");
        runId_ = 0;
        found.kind = ThermoRunKind::None;
    }
    return found;
}

}  // namespace tarvix::journal
