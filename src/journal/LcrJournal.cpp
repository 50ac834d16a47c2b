// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/LcrJournal.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <QVariant>
#include <cmath>

#include "journal/JournalDatabase.h"
#include "journal/MeasurementHistory.h"
#include "lcr/FreqSweep.h"
#include "text/ClockText.h"

namespace tarvix::journal {

namespace {

const QString kLcrKind = QStringLiteral("lcr");
// The file's clock may run a little behind the program's.
constexpr int kClockSlackSeconds = 1;

// SQLite keeps a NaN (a missing point) as NULL.
QVariant realOrNull(double value) {
    return std::isnan(value) ? QVariant() : QVariant(value);
}

QString timeText(const QDateTime& time) {
    return time.toString(Qt::ISODateWithMs);
}

}  // namespace

LcrJournal::LcrJournal(JournalDatabase& db, Describer describer)
    : db_(db), describer_(std::move(describer)) {}

// An unsaved sweep in the panel is replaced by the new one; a saved one keeps its state.
void LcrJournal::sweepStarted(const lcr::SweepSettings& settings, const QString& file) {
    if (unsaved_ && runId_ > 0) {
        setState(runId_, "replaced");
    }
    unsaved_ = true;
    runId_ = db_.newMeasurementId();
    if (runId_ <= 0) {
        return;
    }
    MeasurementContext context = describer_ ? describer_(settings) : MeasurementContext{};
    context.values.emplace_back(QString::fromLatin1(kFileKey), file);
    JournalStatements statements{
        {QStringLiteral("INSERT INTO measurement (id, kind, started) VALUES (?, ?, ?)"),
         {runId_, kLcrKind, timeText(QDateTime::currentDateTime())}}};
    const JournalStatements described = contextStatements(runId_, context);
    statements.insert(statements.end(), described.begin(), described.end());
    db_.write(std::move(statements));
}

void LcrJournal::pointStored(const lcr::FreqSweep& sweep, int point) {
    if (!unsaved_ || runId_ <= 0 || point < 1 || point > lcr::kSweepCapacity) {
        return;
    }
    const auto k = static_cast<std::size_t>(point);
    db_.write({{QStringLiteral("INSERT OR REPLACE INTO point (measurement_id, segment, idx, x, y, "
                               "z, t) VALUES (?, 1, ?, ?, ?, ?, ?)"),
                {runId_, point, realOrNull(sweep.sweepFreq[k]), realOrNull(sweep.sweepPrimary[k]),
                 realOrNull(sweep.sweepSecondary[k]), text::timeOfDay(QTime::currentTime())}}},
              1);
}

void LcrJournal::sweepWritten(const QString& file) {
    if (!unsaved_ || runId_ <= 0) {
        return;
    }
    db_.write({fileStatement(runId_, file, QStringLiteral("saved"))});
    setState(runId_, "saved");
    unsaved_ = false;
}

void LcrJournal::loaded(qint64 id) {
    if (unsaved_ && runId_ > 0) {
        setState(runId_, "replaced");
    }
    unsaved_ = false;
    runId_ = id;
}

void LcrJournal::setState(qint64 id, const char* state) {
    db_.write({{QStringLiteral("UPDATE measurement SET state = ?, ended = coalesce(ended, ?) "
                               "WHERE id = ?"),
                {QString::fromLatin1(state), timeText(QDateTime::currentDateTime()), id}}});
    db_.sync();
}

RecoveredSweep LcrJournal::recover(
    const std::function<bool(qint64 id, QString* readFailure)>& load) {
    RecoveredSweep found;
    qint64 id = 0;
    if (!db_.isOpen() || !findLast(found, &id) || !findSpan(id, found)) {
        return found;
    }
    db_.write({{QStringLiteral("UPDATE measurement SET state = 'replaced' WHERE kind = 'lcr' "
                               "AND state = 'unsaved' AND id <> ?"),
                {id}}});
    if (found.points == 0) {
        setState(id, "replaced");
        return RecoveredSweep{};
    }
    if (RecoveredSweep unread; !load(id, &unread.readFailure)) {
        return unread;
    }
    runId_ = id;
    unsaved_ = true;
    settleRecovered(id, found);
    return found;
}

// The last unsaved sweep and when it started; false (with a read failure when one came)
// when there is none.
bool LcrJournal::findLast(RecoveredSweep& found, qint64* id) {
    QSqlQuery last(db_.database());
    last.setForwardOnly(true);
    if (!last.exec(QStringLiteral("SELECT id, started FROM measurement WHERE kind = 'lcr' "
                                  "AND state = 'unsaved' ORDER BY id DESC LIMIT 1")) ||
        !last.next()) {
        if (last.lastError().isValid()) {
            found.readFailure = readErrorText(last.lastError());
        }
        return false;
    }
    *id = last.value(0).toLongLong();
    found.first = QDateTime::fromString(last.value(1).toString(), Qt::ISODateWithMs);
    return true;
}

// The points, when the last of them was measured, and the sweep's .frq file.
bool LcrJournal::findSpan(qint64 id, RecoveredSweep& found) {
    QSqlQuery span(db_.database());
    span.setForwardOnly(true);
    span.prepare(
        QStringLiteral("SELECT count(*), (SELECT t FROM point WHERE measurement_id = ? ORDER BY "
                       "idx DESC LIMIT 1), "
                       "(SELECT value FROM context WHERE measurement_id = ? AND key = ?) "
                       "FROM point WHERE measurement_id = ?"));
    span.addBindValue(id);
    span.addBindValue(id);
    span.addBindValue(QString::fromLatin1(kFileKey));
    span.addBindValue(id);
    if (!span.exec() || !span.next()) {
        found.readFailure = readErrorText(span.lastError());
        return false;
    }
    found.points = span.value(0).toInt();
    found.last =
        span.value(1).isNull() ? found.first : momentOfPoint(found.first, span.value(1).toDouble());
    found.file = span.value(2).toString();
    return true;
}

// The .frq file was written line by line: when it changed after the sweep started, it holds
// the readings up to the end of that session, and the sweep is saved in it.
void LcrJournal::settleRecovered(qint64 id, RecoveredSweep& found) {
    db_.write({{QStringLiteral("UPDATE measurement SET ended = ? WHERE id = ?"),
                {timeText(found.last), id}}});
    const QFileInfo file(found.file);
    if (found.file.isEmpty() || !file.isFile() ||
        file.lastModified() < found.first.addSecs(-kClockSlackSeconds)) {
        found.file.clear();
        return;
    }
    db_.write({fileStatement(id, found.file, QStringLiteral("saved"))});
    setState(id, "saved");
    unsaved_ = false;
}

}  // namespace tarvix::journal
