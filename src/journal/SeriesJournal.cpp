// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SeriesJournal.h"

#include <QSqlError>
#include <QSqlQuery>
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
    const qint64 id = db_.newMeasurementId();
    if (id <= 0) {
        return nextLocalId_--;
    }
    db_.write({{QStringLiteral("INSERT INTO measurement (id, kind, started) VALUES (?, 'iv', ?)"),
                {id, now()}}});
    db_.describe(id, QStringLiteral("iv"));
    return id;
}

void SeriesJournal::writeLabel(qint64 id, int segment, const QString& label) {
    if (id > 0) {
        db_.write({{QStringLiteral("INSERT OR REPLACE INTO segment (measurement_id, segment, "
                                   "label) VALUES (?, ?, ?)"),
                    {id, segment, label}}});
    }
}

void SeriesJournal::markState(qint64 id, Settlement how) {
    if (id > 0) {
        db_.write({{QStringLiteral("UPDATE measurement SET state = ?, ended = coalesce(ended, ?) "
                                   "WHERE id = ?"),
                    {stateName(how), now(), id}}});
    }
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
            db_.write(
                {{QStringLiteral("DELETE FROM point WHERE measurement_id = ? AND segment = ?"),
                  {liveId_, segment}}});
        }
    }
    liveLastPoint_[index] = point;
    if (liveId_ > 0) {
        db_.appendPoint({liveId_, segment, point,
                         static_cast<double>(store_.liveVoltage(segment)[point]),
                         static_cast<double>(store_.liveCurrent(segment)[point]), timeOfDayNow(),
                         store_.liveAtCompliance(segment, point)});
    }
    notifyIfChanged(before);
}

// The system's local time costs microseconds a call; its offset from UTC changes only at a
// clock change, so it is looked up once a second.
double SeriesJournal::timeOfDayNow() {
    constexpr qint64 kDayMs = 86400000;
    const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
    if (utcMs / 1000 != offsetSecond_) {
        offsetSecond_ = utcMs / 1000;
        offsetMs_ = qint64{QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc()} * 1000;
    }
    const qint64 local = ((utcMs + offsetMs_) % kDayMs + kDayMs) % kDayMs;
    return static_cast<double>(local) / static_cast<double>(kDayMs);
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
        if (liveId_ > 0) {
            // The slot's labels: the run's own, or those the animation's commit leaves.
            for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
                writeLabel(liveId_, segment, store_.segmentLabel(segment, slot));
            }
            db_.write({{QStringLiteral("UPDATE measurement SET slot = ?, ended = ? WHERE id = ?"),
                        {slot, now(), liveId_}}});
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
    if (!file.isEmpty()) {
        recordStoreFile(file, QStringLiteral("saved"));
    }
    markState(liveId_, how);
    liveId_ = 0;
    slotIds_.empty() ? db_.sync() : settleStored(how);
    notifyIfChanged(before);
}

void SeriesJournal::recordExport(const QString& file) {
    recordStoreFile(file, QStringLiteral("exported"));
    db_.sync();
}

// Every series in the store that came from a measurement went into `file`.
void SeriesJournal::recordStoreFile(const QString& file, const QString& role) {
    for (const auto& [slot, id] : inStore_) {
        if (id > 0 && slot <= store_.seriesCount) {
            db_.write({fileStatement(id, file, role)});
        }
    }
}

// Committed series come back in slot order, runs that were still live when the program
// ended after them. A series that cannot be read now stays unsaved in the journal, for a start
// that can read it.
RecoveredSpan SeriesJournal::recover() {
    RecoveredSpan span;
    if (!db_.isOpen()) {
        return span;
    }
    std::vector<UnsavedSeries> found = listUnsaved(&span.readFailure);
    const bool before = hasUnsaved();
    int slot = 0;
    for (const UnsavedSeries& series : found) {
        // The store keeps 150 series; the rest stay in the journal for a later start.
        if (slot == SeriesStore::kMaxSeries - 1) {
            break;
        }
        if (!recoverOne(series.id, slot + 1, &span.readFailure)) {
            continue;
        }
        ++slot;
        span.first = span.count == 0 ? series.first : std::min(span.first, series.first);
        span.last = span.count == 0 ? series.last : std::max(span.last, series.last);
        ++span.count;
    }
    if (slot > 0) {
        store_.seriesCount = slot + 1;
        store_.snapshotStored();
    }
    notifyIfChanged(before);
    return span;
}

// The unsaved I-V measurements in the order they come back, each with the moments of its
// first and last point (a run's row is made at its first point).
std::vector<SeriesJournal::UnsavedSeries> SeriesJournal::listUnsaved(QString* readFailure) {
    QSqlQuery query(db_.database());
    query.setForwardOnly(true);
    std::vector<UnsavedSeries> found;
    if (query.exec(QStringLiteral("SELECT m.id, m.started, coalesce(m.ended, m.started), "
                                  "(SELECT t FROM point p WHERE p.measurement_id = m.id "
                                  " ORDER BY p.segment DESC, p.idx DESC LIMIT 1) "
                                  "FROM measurement m WHERE m.kind = 'iv' AND m.state = 'unsaved' "
                                  "ORDER BY m.slot = 0, m.slot, m.id"))) {
        while (query.next()) {
            const QDateTime started =
                QDateTime::fromString(query.value(1).toString(), Qt::ISODateWithMs);
            const QVariant lastPoint = query.value(3);
            found.push_back({query.value(0).toLongLong(), started,
                             lastPoint.isNull() ? QDateTime::fromString(query.value(2).toString(),
                                                                        Qt::ISODateWithMs)
                                                : momentOfPoint(started, lastPoint.toDouble())});
        }
    }
    if (query.lastError().isValid()) {
        *readFailure = readErrorText(query.lastError());
        found.clear();
    }
    return found;
}

bool SeriesJournal::recoverOne(qint64 id, int slot, QString* readFailure) {
    QString failure;
    const bool any = readIvSeries(db_.database(), id, store_, slot, &failure);
    if (!failure.isEmpty()) {
        *readFailure = failure;
        return false;
    }
    db_.write(
        {{QStringLiteral("UPDATE measurement SET slot = ?, state = ? WHERE id = ?"),
          {any ? slot : 0, any ? QStringLiteral("unsaved") : QStringLiteral("replaced"), id}}});
    if (any) {
        slotIds_[slot] = id;
        inStore_[slot] = id;
    }
    return any;
}

}  // namespace tarvix::journal
