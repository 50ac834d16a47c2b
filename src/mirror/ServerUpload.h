// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <map>
#include <optional>
#include <set>

#include "mirror/MeasurementRows.h"
#include "mirror/ServerError.h"
#include "mirror/ServerWatchdog.h"

namespace tarvix::mirror {

// Writes one bench's rows into a lab's server. Every write is an upsert on the rows' natural
// keys, so sending a row again (after a lost answer or a restart) never stores it twice.
// Every statement waits for the server at most the watchdog's patience.
// Where a bench's database was when its identity was made.
struct BenchPlace {
    QString machine;  // the system's machine id
    QString journal;  // the database file's full path
    bool operator==(const BenchPlace&) const = default;
};

class ServerUpload {
  public:
    ServerUpload(QSqlDatabase& db, QString bench, ServerWatchdog& watchdog)
        : db_(db), bench_(std::move(bench)), watchdog_(watchdog) {}

    // Makes the bench known to the server as made at `here`, unless it is known already;
    // returns the place the server has on record for the identity.
    // Sends from now on as the bench `bench`.
    void setBench(const QString& bench) { bench_ = bench; }
    std::optional<BenchPlace> claimBench(const QString& host, const BenchPlace& here);
    // Records that the identity is now the bench at `here` (its database was moved).
    bool placeBench(const QString& host, const BenchPlace& here);
    bool begin();
    bool commit();
    void rollback();

    bool measurement(const MeasurementRow& row);
    bool segment(qint64 id, int segment, const QString& label);
    // The server's context of the measurement becomes `values`.
    bool context(qint64 id, const ContextValues& values);
    bool files(qint64 id, const std::vector<FileRow>& rows);
    // Drops the server's points of one segment of the measurement.
    bool dropPoints(qint64 id, int segment);
    // Makes sure the partition of the month starting on `first` (yyyy-MM-01) exists.
    bool month(const QString& first);
    // Adds points of a segment, in blocks, to the month's partition.
    bool points(qint64 id, int segment, const QString& month, const PointColumns& columns);
    // The bench's measurements the server refused, with its words, oldest first.
    std::map<qint64, QString> rejected();
    // Sets a measurement aside with the server's words, or takes it off that list.
    bool reject(qint64 id, const QString& message);
    bool accepted(qint64 id);
    // Notes when the bench last sent something (at most once a minute).
    bool touchBench();

    // The last failure: the server's words, and what it means for the mirror.
    QString error() const;
    ServerFault fault() const;

  private:
    bool execute(QSqlQuery& query, const QString& statement, const QVariantList& values);
    bool run(const QString& statement, const QVariantList& values);

    QSqlDatabase& db_;
    QString bench_;
    ServerWatchdog& watchdog_;
    QSqlError error_;
    std::map<QString, QString> statements_;
    std::set<QString> months_;
    QElapsedTimer touched_;
    bool inTransaction_ = false;  // statement, its name on the server
};

}  // namespace tarvix::mirror
