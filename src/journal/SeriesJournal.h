// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "series/SeriesStoreObserver.h"

namespace tarvix::series {
class SeriesStore;
}

namespace tarvix::journal {

class JournalDatabase;

// What became of the unsaved series when they leave the store.
enum class Settlement { Saved, Deleted, Replaced };

// When recovered measurements were taken, for the operator's message.
struct RecoveredSpan {
    int count = 0;
    QDateTime first;
    QDateTime last;
    QString readFailure;  // why unsaved series stayed in the journal unread (empty: none did)
};

// Keeps every I-V point in the journal as the store receives it, follows each run into the
// series slot it is committed to, and marks the series saved, deleted or replaced when they
// leave the store. It also knows whether the store holds series that exist nowhere else,
// with or without a journal file.
class SeriesJournal : public series::SeriesStoreObserver {
  public:
    SeriesJournal(JournalDatabase& db, series::SeriesStore& store);

    void livePointStored(int segment, int point) override;
    void liveSegmentEnded(int segment) override;
    void liveCommitted(int slot, bool withLabels) override;
    void liveCleared() override;

    // Every unsaved series, the live run included, left the store this way.
    void settleAll(Settlement how, const QString& file = {});
    // The stored series left the store; the live run stays.
    void settleStored(Settlement how);
    // Stored series `slot` alone left the store.
    void settleSeries(int slot, Settlement how);
    // The measurement stored slot `slot` holds, or 0 when it came from no measurement here.
    qint64 measurementIn(int slot) const;
    bool hasUnsaved() const { return liveId_ != 0 || !slotIds_.empty(); }
    // Runs whenever hasUnsaved() changes.
    void setUnsavedChanged(std::function<void(bool)> callback) {
        unsavedChanged_ = std::move(callback);
    }

    // Stored slot `slot` now holds measurement `id` of the database (loaded from it).
    void noteLoaded(int slot, qint64 id) { inStore_[slot] = id; }
    // The store's series were exported to `file`.
    void recordExport(const QString& file);

    // Puts the unsaved series of earlier sessions into the empty store, slots 1 on, and
    // leaves seriesCount at the slot after them.
    RecoveredSpan recover();

  private:
    struct UnsavedSeries {
        qint64 id = 0;
        QDateTime first;
        QDateTime last;
    };

    qint64 startMeasurement();
    double timeOfDayNow();
    void writeLabel(qint64 id, int segment, const QString& label);
    void markState(qint64 id, Settlement how);
    void notifyIfChanged(bool before);
    void recordStoreFile(const QString& file, const QString& role);
    std::vector<UnsavedSeries> listUnsaved(QString* readFailure);
    bool recoverOne(qint64 id, int slot, QString* readFailure);

    JournalDatabase& db_;
    series::SeriesStore& store_;
    qint64 liveId_ = 0;
    qint64 nextLocalId_ = -1;  // ids of runs measured while no journal file is open
    std::array<int, 9> liveLastPoint_{};
    std::map<int, qint64> slotIds_;  // unsaved stored series by slot
    std::map<int, qint64> inStore_;  // every stored series from a measurement, saved or not
    std::function<void(bool)> unsavedChanged_;
    qint64 offsetSecond_ = -1;  // the UTC second for which offsetMs_ was looked up
    qint64 offsetMs_ = 0;
};

}  // namespace tarvix::journal
