// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "journal/HeldWrites.h"
#include "journal/JournalStatement.h"
#include "journal/PointWriter.h"

namespace tarvix::journal {

// Whether the journal's file takes what is measured, and what waits in memory when it does not.
struct JournalWriteState {
    bool writing = true;
    QString reason;  // why not, in the operator's words
    QString detail;  // SQLite's own words
    int pointsHeld = 0;
};

// Everything the journal writes while the program runs: measured I-V points through the writing
// thread, every other statement on the window's connection, each after the points handed over
// before it. When the file does not take a write (a full disk, a read-only file, another
// program's lock), that write and every later one are held in memory in order and the state says
// so; a retry every two seconds, after a checkpoint that lets the log reuse its space, writes
// them all once the file takes them again, and writing goes on as before.
class JournalWrites {
  public:
    JournalWrites();
    ~JournalWrites();
    JournalWrites(const JournalWrites&) = delete;
    JournalWrites& operator=(const JournalWrites&) = delete;

    // Writes into the open connection `db` to the file `path`.
    void start(QSqlDatabase& db, const QString& path);
    // Tries what is held once more, then lets go of the file.
    void stop();

    void appendPoint(const PointRow& row);
    // Writes `statements` together (`points`: how many measured points they carry), or holds
    // them while the file does not take them.
    void write(JournalStatements statements, int points = 0);
    // The number of a new measurement, known at once whether or not its row can be written yet.
    qint64 newMeasurementId();
    // Every point handed over so far is committed or held.
    void drain();
    // A row was written: syncs when the last sync is a second old, otherwise within the second.
    void written();
    // Has the log synced to disk at once, the points handed over so far included.
    void sync();
    // Tries the held writes now.
    void retry();

    const JournalWriteState& state() const { return state_; }
    // Runs on the window's thread whenever the state changes.
    void setStateChanged(std::function<void(const JournalWriteState&)> callback) {
        stateChanged_ = std::move(callback);
    }

  private:
    bool holding() const { return failure_.has_value(); }
    void takeWriterFailure();
    void startHolding(const WriteFailure& failure);
    void announce();
    qint64 largestStoredId();
    QSqlDatabase& retryConnection();
    void closeRetryConnection();

    QSqlDatabase* db_ = nullptr;
    QString path_;
    QString retryName_;
    QSqlDatabase retryDb_;  // only while writes are held
    PointWriter points_;
    bool threaded_ = false;
    HeldWrites held_;
    std::optional<WriteFailure> failure_;
    JournalWriteState state_;
    std::function<void(const JournalWriteState&)> stateChanged_;
    qint64 lastId_ = 0;
    bool unsynced_ = false;
    QElapsedTimer sinceSync_;
    QTimer syncTimer_;
    QTimer retryTimer_;
};

}  // namespace tarvix::journal
