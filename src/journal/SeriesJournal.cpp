#include "journal/SeriesJournal.h"

#include <QSqlDatabase>
#include <QVariant>
#include <algorithm>

#include "journal/JournalDatabase.h"
#include "journal/MeasurementHistory.h"
#include "series/SeriesStore.h"

namespace tarvix::journal {

namespace {

using series::SeriesStore;

QString stateName(Settlement how) {
    switch (how) {
        case Settlement::Saved:
            return QStringLiteral("saved");
        case Settlement::Deleted:
            return QStringLiteral("deleted");
        case Settlement::Replaced:
            break;
    }
    return QStringLiteral("replaced");
}

QString now() {
    return QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
}

}  // namespace

SeriesJournal::SeriesJournal(JournalDatabase& db, SeriesStore& store) : db_(db), store_(store) {}

qint64 SeriesJournal::startMeasurement() {
    liveLastPoint_.fill(0);
    if (!db_.isOpen()) {
        return nextLocalId_--;
    }
    QSqlQuery query(db_.database());
    query.prepare(QStringLiteral("INSERT INTO measurement (kind, started) VALUES ('iv', ?)"));
    query.addBindValue(now());
    if (!query.exec()) {
        return nextLocalId_--;
    }
    const qint64 id = query.lastInsertId().toLongLong();
    db_.describe(id, QStringLiteral("iv"));
    return id;
}

void SeriesJournal::writeLabel(qint64 id, int segment, const QString& label) {
    if (id <= 0 || !db_.isOpen()) {
        return;
    }
    QSqlQuery query(db_.database());
    query.prepare(QStringLiteral(
        "INSERT OR REPLACE INTO segment (measurement_id, segment, label) VALUES (?, ?, ?)"));
    query.addBindValue(id);
    query.addBindValue(segment);
    query.addBindValue(label);
    query.exec();
}

void SeriesJournal::markState(qint64 id, Settlement how) {
    if (id <= 0 || !db_.isOpen()) {
        return;
    }
    QSqlQuery query(db_.database());
    query.prepare(
        QStringLiteral("UPDATE measurement SET state = ?, ended = coalesce(ended, ?) "
                       "WHERE id = ?"));
    query.addBindValue(stateName(how));
    query.addBindValue(now());
    query.addBindValue(id);
    query.exec();
}

void SeriesJournal::notifyIfChanged(bool before) {
    if (before != hasUnsaved() && unsavedChanged_) {
        unsavedChanged_(hasUnsaved());
    }
}

void SeriesJournal::livePointStored(int segment, int point) {
    const bool before = hasUnsaved();
    if (liveId_ == 0) {
        liveId_ = startMeasurement();
    }
    const auto index = static_cast<std::size_t>(segment);
    if (point == 1) {
        writeLabel(liveId_, segment, store_.liveLabel(segment));
        if (liveLastPoint_[index] > 1 && liveId_ > 0) {
            // A manual run that passed the table's end starts the segment over.
            QSqlQuery drop(db_.database());
            drop.prepare(
                QStringLiteral("DELETE FROM point WHERE measurement_id = ? AND segment = ?"));
            drop.addBindValue(liveId_);
            drop.addBindValue(segment);
            drop.exec();
        }
    }
    liveLastPoint_[index] = point;
    if (liveId_ > 0) {
        db_.appendPoint({liveId_, segment, point,
                         static_cast<double>(store_.liveVoltage(segment)[point]),
                         static_cast<double>(store_.liveCurrent(segment)[point])});
    }
    notifyIfChanged(before);
}

void SeriesJournal::liveSegmentEnded(int segment) {
    writeLabel(liveId_, segment, store_.liveLabel(segment));
    db_.sync();
}

void SeriesJournal::liveCommitted(int slot, bool /*withLabels*/) {
    const bool before = hasUnsaved();
    // Whatever the slot held is overwritten, an empty live layer included.
    inStore_.erase(slot);
    if (const auto held = slotIds_.find(slot); held != slotIds_.end()) {
        if (held->second != liveId_) {
            markState(held->second, Settlement::Replaced);
        }
        slotIds_.erase(held);
    }
    if (liveId_ != 0) {
        if (liveId_ > 0 && db_.isOpen()) {
            // The slot's labels: the run's own, or those the animation's commit leaves.
            for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
                writeLabel(liveId_, segment, store_.segmentLabel(segment, slot));
            }
            QSqlQuery query(db_.database());
            query.prepare(
                QStringLiteral("UPDATE measurement SET slot = ?, ended = ? WHERE id = ?"));
            query.addBindValue(slot);
            query.addBindValue(now());
            query.addBindValue(liveId_);
            query.exec();
        }
        slotIds_[slot] = liveId_;
        inStore_[slot] = liveId_;
        liveId_ = 0;
    }
    db_.sync();
    notifyIfChanged(before);
}

void SeriesJournal::liveCleared() {
    if (liveId_ == 0) {
        return;
    }
    const bool before = hasUnsaved();
    markState(liveId_, Settlement::Replaced);
    liveId_ = 0;
    notifyIfChanged(before);
}

void SeriesJournal::settleStored(Settlement how) {
    const bool before = hasUnsaved();
    if (how != Settlement::Saved) {
        inStore_.clear();
    }
    for (const auto& [slot, id] : slotIds_) {
        (void)slot;
        markState(id, how);
    }
    slotIds_.clear();
    db_.sync();
    notifyIfChanged(before);
}

void SeriesJournal::settleSeries(int slot, Settlement how) {
    const bool before = hasUnsaved();
    if (const auto unsaved = slotIds_.find(slot); unsaved != slotIds_.end()) {
        markState(unsaved->second, how);
        slotIds_.erase(unsaved);
    }
    inStore_.erase(slot);
    db_.sync();
    notifyIfChanged(before);
}

qint64 SeriesJournal::measurementIn(int slot) const {
    const auto held = inStore_.find(slot);
    return held != inStore_.end() && held->second > 0 ? held->second : 0;
}

void SeriesJournal::settleAll(Settlement how, const QString& file) {
    const bool before = hasUnsaved();
    if (how != Settlement::Saved) {
        inStore_.clear();
    }
    if (db_.isOpen() && !file.isEmpty()) {
        recordStoreFile(file, QStringLiteral("saved"));
    }
    markState(liveId_, how);
    liveId_ = 0;
    slotIds_.empty() ? db_.sync() : settleStored(how);
    notifyIfChanged(before);
}

void SeriesJournal::recordExport(const QString& file) {
    if (db_.isOpen()) {
        recordStoreFile(file, QStringLiteral("exported"));
        db_.sync();
    }
}

// Every series in the store that came from a measurement went into `file`.
void SeriesJournal::recordStoreFile(const QString& file, const QString& role) {
    for (const auto& [slot, id] : inStore_) {
        if (id > 0 && slot <= store_.seriesCount) {
            recordFile(db_.database(), id, file, role);
        }
    }
}

// Committed series come back in slot order, runs that were still live when the program
// ended after them.
RecoveredSpan SeriesJournal::recover() {
    RecoveredSpan span;
    if (!db_.isOpen()) {
        return span;
    }
    QSqlQuery query(db_.database());
    query.exec(
        QStringLiteral("SELECT id, started, coalesce(ended, started) FROM measurement "
                       "WHERE kind = 'iv' AND state = 'unsaved' "
                       "ORDER BY slot = 0, slot, id"));
    std::vector<std::tuple<qint64, QDateTime, QDateTime>> found;
    while (query.next()) {
        found.emplace_back(query.value(0).toLongLong(),
                           QDateTime::fromString(query.value(1).toString(), Qt::ISODateWithMs),
                           QDateTime::fromString(query.value(2).toString(), Qt::ISODateWithMs));
    }
    query.finish();
    const bool before = hasUnsaved();
    int slot = 0;
    for (const auto& [id, started, ended] : found) {
        // The store keeps 150 series; the rest stay in the journal for a later start.
        if (slot == SeriesStore::kMaxSeries - 1) {
            break;
        }
        if (!recoverOne(id, slot + 1)) {
            continue;
        }
        ++slot;
        span.first = span.count == 0 ? started : std::min(span.first, started);
        span.last = span.count == 0 ? ended : std::max(span.last, ended);
        ++span.count;
    }
    if (slot > 0) {
        store_.seriesCount = slot + 1;
        store_.snapshotStored();
    }
    notifyIfChanged(before);
    return span;
}

bool SeriesJournal::recoverOne(qint64 id, int slot) {
    const bool any = readIvSeries(db_.database(), id, store_, slot);
    QSqlQuery move(db_.database());
    move.prepare(QStringLiteral("UPDATE measurement SET slot = ?, state = ? WHERE id = ?"));
    move.addBindValue(any ? slot : 0);
    move.addBindValue(any ? QStringLiteral("unsaved") : QStringLiteral("replaced"));
    move.addBindValue(id);
    move.exec();
    if (any) {
        slotIds_[slot] = id;
        inStore_[slot] = id;
    }
    return any;
}

}  // namespace tarvix::journal
