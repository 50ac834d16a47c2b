// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>

#include "journal/JournalLock.h"
#include "journal/JournalWrites.h"
#include "journal/MeasurementContext.h"

class QSqlError;

namespace tarvix::journal {

// How a program takes its database: the lock it holds already (none: the journal takes its
// own), or reading alone while another program measures into the file.
struct JournalAccess {
    std::unique_ptr<JournalLock> lock;
    bool readOnly = false;
    bool named = false;  // the operator named the file (see inspectJournalFile)
};

// The SQLite file in which every measured point is kept as it is measured, so that a crash
// or a power cut loses at most the last point or the last second. I-V points are committed
// by a writing thread (PointWriter) to the write-ahead log, which reaches the operating system
// at once (a killed program loses nothing committed); the log is synced to disk at least once
// a second and whenever the caller asks (at the end of a segment or a run). Every write goes
// through JournalWrites, which holds it in memory while the file does not take it.
//
// It is also the measurement database: every measurement stays in it with its context after
// it is saved. Tables (SchemaMigrations makes and upgrades them; docs/database.md):
//   measurement(id, kind, started, ended, state, slot, comment)
//       kind  'iv' | 'four-probe' | 'thermocouple' | 'lcr'; started/ended ISO-8601 local time;
//       state 'unsaved' | 'saved' | 'deleted' | 'replaced'; slot the series slot of an I-V
//       series while it is unsaved (0 while it is the live run); comment the text of Edit44
//   segment(measurement_id, segment, label)
//   point(measurement_id, segment, idx, x, y, z, w, t, compliance)
//       I-V: x voltage (V), y current (A), compliance 1 where the source's limit clipped the
//       reading, otherwise 0; four-probe and thermocouple: x thermoTemp,
//       y thermoResistance, z thermoRefTemp, w thermoTcTemp, t thermoTime (day fraction);
//       LCR: x frequency (Hz), y primary, z secondary, t time of day (day fraction);
//       a missing reading is NULL
//   context(measurement_id, key, value): settings and instrument identifications
//   file(measurement_id, path, role, written): role 'saved' | 'exported'
//   schema_version(version, applied)
class JournalDatabase {
  public:
    static constexpr const char* kFileName = "tarvix-journal.sqlite";

    JournalDatabase();
    ~JournalDatabase();
    JournalDatabase(const JournalDatabase&) = delete;
    JournalDatabase& operator=(const JournalDatabase&) = delete;

    // Opens (or creates) the journal in `folder`. Only a file of ours is ever written: a
    // damaged one of ours is renamed aside and a fresh journal started, while anything else
    // at the path (another program's file, a folder, a device), a file of a newer version or a
    // file another program holds is left exactly as it is. `notice` says what happened.
    // Returns false (with `notice`) when no journal could be kept: the program goes on
    // without one.
    bool open(const QString& folder, QString* notice);
    // The same for the database file `file` (its folder is made when missing). `access`
    // brings the lock when the caller took it already, or asks for reading alone.
    bool openPath(const QString& file, QString* notice, JournalAccess access = {});
    // Open for journaling: measurements are written.
    bool isOpen() const { return open_; }
    // Open for reading, for journaling or read-only (History on a file another program holds).
    bool isReadable() const { return open_ || readOnly_; }
    bool isReadOnly() const { return readOnly_; }
    // The window's connection for reading, once every point handed over is committed or held:
    // what it reads includes those committed. Writes go through write().
    QSqlDatabase& database() {
        writes_.drain();
        return db_;
    }
    const QString& path() const { return path_; }

    // Where the settings and instruments of a new measurement of `kind` come from.
    void setDescriber(std::function<MeasurementContext(const QString& kind)> describer) {
        describer_ = std::move(describer);
    }
    // Writes the context of the new measurement `id` from the describer.
    void describe(qint64 id, const QString& kind);

    // Journals a measured I-V point: handed to the writing thread, or held.
    void appendPoint(const PointRow& row) {
        if (open_) {
            writes_.appendPoint(row);
        }
    }
    // Writes `statements` together, or holds them; `points`: the measured points they carry.
    void write(JournalStatements statements, int points = 0) {
        if (open_) {
            writes_.write(std::move(statements), points);
        }
    }
    // The number of a new measurement (0 without a file).
    qint64 newMeasurementId() { return open_ ? writes_.newMeasurementId() : 0; }
    // Has the log synced to disk at once, the points handed over so far included: the writing
    // thread, while it runs, commits them and then syncs, so the window waits for neither.
    void sync() { writes_.sync(); }
    JournalWrites& writes() { return writes_; }

  private:
    // Why a file of ours could not be opened for journaling.
    enum class Failure { Damaged, InUse, Other };

    bool takeLock(JournalAccess& access, QString* notice);
    bool openFile(QString* why, Failure* failure);
    bool openReadOnly(QString* notice);
    bool startAfresh(const QString& aside, const QString& why, QString* notice);
    bool failed(const QSqlError& error, QString* why, Failure* failure);
    bool schemaUsable(QString* why, Failure* failure);
    QString setAside();
    void closeDatabase();

    QString connection_;
    QString path_;
    QSqlDatabase db_;
    bool open_ = false;
    bool readOnly_ = false;
    std::unique_ptr<JournalLock> lock_;  // before writes_: let go after its last write
    JournalWrites writes_;
    std::function<MeasurementContext(const QString& kind)> describer_;
};

}  // namespace tarvix::journal
