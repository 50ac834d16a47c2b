#include "journal/LcrJournal.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>
#include <cmath>

#include "journal/JournalDatabase.h"
#include "lcr/FreqSweep.h"

namespace tarvix::journal {

namespace {

const QString kLcrKind = QStringLiteral("lcr");
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
    runId_ = 0;
    held_.clear();
    unsaved_ = true;
    runPending_ = true;
    started_ = timeText(QDateTime::currentDateTime());
    sinceStart_.start();
    context_ = describer_ ? describer_(settings) : MeasurementContext{};
    context_.values.emplace_back(QString::fromLatin1(kFileKey), file);
    startRun();
}

bool LcrJournal::startRun() {
    if (runId_ > 0) {
        return true;
    }
    if (!runPending_ || !db_.isOpen()) {
        return false;
    }
    QSqlQuery query(db_.database());
    query.prepare(QStringLiteral("INSERT INTO measurement (kind, started) VALUES (?, ?)"));
    query.addBindValue(kLcrKind);
    query.addBindValue(started_);
    if (!query.exec()) {
        return false;
    }
    runId_ = query.lastInsertId().toLongLong();
    runPending_ = false;
    writeContext(db_.database(), runId_, context_);
    return true;
}

void LcrJournal::pointStored(const lcr::FreqSweep& sweep, int point) {
    if (!unsaved_ || point < 1 || point > lcr::kSweepCapacity) {
        return;
    }
    const auto k = static_cast<std::size_t>(point);
    held_.push_back({point, sweep.sweepFreq[k], sweep.sweepPrimary[k], sweep.sweepSecondary[k],
                     static_cast<double>(sinceStart_.elapsed()) / 1000.0});
    writeHeld();
}

// Held points go in with the next one: a full disk or a lock that passes loses none of them.
void LcrJournal::writeHeld() {
    if (held_.empty() || !startRun()) {
        return;
    }
    if (insertHeld()) {
        held_.clear();
        db_.written();
    }
}

bool LcrJournal::insertHeld() {
    QSqlDatabase& db = db_.database();
    if (!db.transaction()) {
        return false;
    }
    QSqlQuery insert(db);
    insert.prepare(
        QStringLiteral("INSERT OR REPLACE INTO point (measurement_id, segment, idx, x, y, z, t) "
                       "VALUES (?, 1, ?, ?, ?, ?, ?)"));
    for (const HeldPoint& point : held_) {
        insert.addBindValue(runId_);
        insert.addBindValue(point.idx);
        insert.addBindValue(realOrNull(point.frequency));
        insert.addBindValue(realOrNull(point.primary));
        insert.addBindValue(realOrNull(point.secondary));
        insert.addBindValue(point.seconds);
        if (!insert.exec()) {
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        db.rollback();
        return false;
    }
    return true;
}

void LcrJournal::sweepWritten(const QString& file) {
    writeHeld();
    // Saved only once the file is on record: a mark that could not be written leaves the
    // sweep to come back at the next start.
    if (unsaved_ && runId_ > 0 &&
        recordFile(db_.database(), runId_, file, QStringLiteral("saved")) &&
        setState(runId_, "saved")) {
        unsaved_ = false;
    }
}

void LcrJournal::loaded(qint64 id) {
    if (unsaved_ && runId_ > 0) {
        setState(runId_, "replaced");
    }
    unsaved_ = false;
    runPending_ = false;
    held_.clear();
    runId_ = id;
}

bool LcrJournal::setState(qint64 id, const char* state) {
    QSqlQuery query(db_.database());
    query.prepare(QStringLiteral(
        "UPDATE measurement SET state = ?, ended = coalesce(ended, ?) WHERE id = ?"));
    query.addBindValue(QString::fromLatin1(state));
    query.addBindValue(timeText(QDateTime::currentDateTime()));
    query.addBindValue(id);
    const bool done = query.exec();
    db_.sync();
    return done;
}

RecoveredSweep LcrJournal::recover(const std::function<bool(qint64 id)>& load) {
    RecoveredSweep found;
    if (!db_.isOpen()) {
        return found;
    }
    QSqlQuery last(db_.database());
    if (!last.exec(QStringLiteral("SELECT id, started FROM measurement WHERE kind = 'lcr' "
                                  "AND state = 'unsaved' ORDER BY id DESC LIMIT 1")) ||
        !last.next()) {
        return found;
    }
    const qint64 id = last.value(0).toLongLong();
    found.first = QDateTime::fromString(last.value(1).toString(), Qt::ISODateWithMs);
    last.finish();
    QSqlQuery older(db_.database());
    older.prepare(
        QStringLiteral("UPDATE measurement SET state = 'replaced' WHERE kind = 'lcr' "
                       "AND state = 'unsaved' AND id <> ?"));
    older.addBindValue(id);
    older.exec();
    if (!findSpan(id, found)) {
        return RecoveredSweep{};
    }
    if (found.points == 0) {
        setState(id, "replaced");
        return RecoveredSweep{};
    }
    if (!load(id)) {
        return RecoveredSweep{};  // unread: it stays for the next start
    }
    runId_ = id;
    unsaved_ = true;
    settleRecovered(id, found);
    return found;
}

// The points and when the last of them was measured.
bool LcrJournal::findSpan(qint64 id, RecoveredSweep& found) {
    QSqlQuery span(db_.database());
    span.prepare(
        QStringLiteral("SELECT count(*), coalesce(max(t), 0), "
                       "(SELECT value FROM context WHERE measurement_id = ? AND key = ?) "
                       "FROM point WHERE measurement_id = ?"));
    span.addBindValue(id);
    span.addBindValue(QString::fromLatin1(kFileKey));
    span.addBindValue(id);
    if (!span.exec() || !span.next()) {
        return false;
    }
    found.points = span.value(0).toInt();
    found.last = found.first.addMSecs(std::llround(span.value(1).toDouble() * 1000.0));
    found.file = span.value(2).toString();
    return true;
}

// The .frq file was written line by line: when it changed after the sweep started, it holds
// the readings up to the end of that session, and the sweep is saved in it. The file's clock
// may run a little behind the program's.
void LcrJournal::settleRecovered(qint64 id, RecoveredSweep& found) {
    QSqlQuery ended(db_.database());
    ended.prepare(QStringLiteral("UPDATE measurement SET ended = ? WHERE id = ?"));
    ended.addBindValue(timeText(found.last));
    ended.addBindValue(id);
    ended.exec();
    const QFileInfo file(found.file);
    if (found.file.isEmpty() || !file.isFile() ||
        file.lastModified() < found.first.addSecs(-kClockSlackSeconds)) {
        found.file.clear();
        return;
    }
    if (recordFile(db_.database(), id, found.file, QStringLiteral("saved")) &&
        setState(id, "saved")) {
        unsaved_ = false;
    } else {
        found.file.clear();
    }
}

}  // namespace tarvix::journal
