#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>

#include "journal/JournalWrites.h"
#include "journal/MeasurementContext.h"

namespace tarvix::journal {

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

    // Opens (or creates) the journal in `folder`. A file that is not a journal of ours, or is
    // damaged, or a folder in its place, is renamed aside and a fresh journal started;
    // `notice` then says so. Returns false (with `notice`) only when no journal could be
    // kept at all: the program goes on without one.
    bool open(const QString& folder, QString* notice);
    // The same for the database file `file` (its folder is made when missing).
    bool openPath(const QString& file, QString* notice);
    bool isOpen() const { return open_; }
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
    bool openFile(QString* why);
    bool schemaUsable(QString* why);
    QString setAside();
    void closeDatabase();

    QString connection_;
    QString path_;
    QSqlDatabase db_;
    bool open_ = false;
    JournalWrites writes_;
    std::function<MeasurementContext(const QString& kind)> describer_;
};

}  // namespace tarvix::journal
