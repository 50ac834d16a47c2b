#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QString>
#include <QTimer>

namespace tarvix::journal {

// The SQLite file in which every measured point is kept as it is measured, so that a crash
// or a power cut loses at most the last point or the last second. Each row is its own
// transaction in the write-ahead log, which reaches the operating system at once (a killed
// program loses nothing written); the log is synced to disk at least once a second and
// whenever the caller asks (at the end of a segment or a run).
//
// Tables (kept for the measurement database that grows from this file):
//   measurement(id, kind, started, ended, state, slot)
//       kind  'iv' | 'four-probe' | 'thermocouple'; started/ended ISO-8601 local time;
//       state 'unsaved' | 'saved' | 'deleted' | 'replaced'; slot the series slot of an I-V
//       series while it is unsaved (0 while it is the live run)
//   segment(measurement_id, segment, label)
//   point(measurement_id, segment, idx, x, y, z, w, t)
//       I-V: x voltage (V), y current (A); four-probe and thermocouple: x thermoTemp,
//       y thermoResistance, z thermoRefTemp, w thermoTcTemp, t thermoTime (day fraction);
//       a missing reading is NULL
//   context(measurement_id, key, value)
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
    bool isOpen() const { return open_; }
    QSqlDatabase& database() { return db_; }
    const QString& path() const { return path_; }

    // A row was written: syncs when the last sync is a second old, otherwise makes sure one
    // follows within the second.
    void written();
    // Syncs the log to disk now.
    void sync();

  private:
    bool openFile(QString* why);
    bool schemaUsable(QString* why);
    bool createSchema();
    QString setAside();
    void closeDatabase();

    QString connection_;
    QString path_;
    QSqlDatabase db_;
    bool open_ = false;
    bool unsynced_ = false;
    QElapsedTimer sinceSync_;
    QTimer syncTimer_;
};

}  // namespace tarvix::journal
