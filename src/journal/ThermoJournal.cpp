// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/ThermoJournal.h"

#include <QSqlError>
#include <QSqlQuery>
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

ThermoJournal::ThermoJournal(JournalDatabase& db, ThermoRecord& record)
    : db_(db), record_(record) {}

void ThermoJournal::setState(const char* state) {
    if (runId_ <= 0) {
        return;
    }
    db_.write({{QStringLiteral("UPDATE measurement SET state = ?, ended = coalesce(ended, ?) "
                               "WHERE id = ?"),
                {QString::fromLatin1(state), now(), runId_}}});
    db_.sync();
}

// A record that was saved, or came from the database, keeps its state when a run replaces it.
void ThermoJournal::runStarted(ThermoRunKind kind) {
    if (unsaved_) {
        setState("replaced");
    }
    unsaved_ = true;
    runId_ = db_.newMeasurementId();
    if (runId_ <= 0) {
        return;
    }
    db_.write({{QStringLiteral("INSERT INTO measurement (id, kind, started) VALUES (?, ?, ?)"),
                {runId_, kindName(kind), now()}}});
    db_.describe(runId_, kindName(kind));
}

void ThermoJournal::sampleStored(int sample) {
    if (runId_ <= 0 || sample < 1 || sample > ThermoRecord::kMaxSamples) {
        return;
    }
    const auto k = static_cast<std::size_t>(sample);
    // A four-probe run fills no reference or thermocouple temperature: what those tables
    // hold is left over from an earlier run and is no reading of this sample. (A
    // thermocouple run keeps the resistance table as it is: its chart draws it.)
    const bool fourProbe = record_.filledBy == ThermoRunKind::FourProbe;
    const auto reading = [fourProbe](double value) {
        return fourProbe ? QVariant() : realOrNull(value);
    };
    db_.write({{QStringLiteral("INSERT OR REPLACE INTO point (measurement_id, segment, idx, x, y, "
                               "z, w, t) VALUES (?, 1, ?, ?, ?, ?, ?, ?)"),
                {runId_, sample, realOrNull(record_.thermoTemp[k]),
                 realOrNull(record_.thermoResistance[k]), reading(record_.thermoRefTemp[k]),
                 reading(record_.thermoTcTemp[k]), realOrNull(record_.thermoTime[k])}}},
              1);
    unsaved_ = true;
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
        db_.write({fileStatement(runId_, file, QStringLiteral("saved"))});
    }
    unsaved_ = false;
    setState("saved");
}

// A record that cannot be read now stays unsaved in the journal, for a start that can read it.
RecoveredRecord ThermoJournal::recover() {
    RecoveredRecord found;
    if (!db_.isOpen()) {
        return found;
    }
    QSqlQuery run(db_.database());
    run.setForwardOnly(true);
    if (!run.exec(
            QStringLiteral("SELECT id, kind, started, coalesce(ended, started) FROM measurement "
                           "WHERE kind IN ('four-probe', 'thermocouple') AND state = 'unsaved' "
                           "ORDER BY id DESC LIMIT 1")) ||
        !run.next()) {
        if (run.lastError().isValid()) {
            found.readFailure = readErrorText(run.lastError());
        }
        return found;
    }
    const qint64 id = run.value(0).toLongLong();
    const ThermoRunKind kind = thermoRunKind(run.value(1).toString());
    const QDateTime started = QDateTime::fromString(run.value(2).toString(), Qt::ISODateWithMs);
    const QDateTime ended = QDateTime::fromString(run.value(3).toString(), Qt::ISODateWithMs);
    run.finish();
    const int samples = readThermoRecord(db_.database(), id, kind, record_, &found.readFailure);
    if (!found.readFailure.isEmpty()) {
        return found;
    }
    runId_ = id;
    if (samples == 0) {
        setState("replaced");
        runId_ = 0;
        return found;
    }
    unsaved_ = true;
    found.kind = kind;
    found.samples = samples;
    found.started = sampleMoment(started, 1, started);
    found.ended = sampleMoment(started, samples, ended);
    return found;
}

// When sample `sample` was taken, by its time of day; `otherwise` for a sample without one.
QDateTime ThermoJournal::sampleMoment(const QDateTime& started, int sample,
                                      const QDateTime& otherwise) const {
    const double time = record_.thermoTime[static_cast<std::size_t>(sample)];
    return std::isnan(time) ? otherwise : momentOfPoint(started, time);
}

}  // namespace tarvix::journal
