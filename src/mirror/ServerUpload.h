#pragma once

#include <QSqlDatabase>

#include "mirror/MeasurementRows.h"
#include "mirror/ServerWatchdog.h"

namespace tarvix::mirror {

// Writes one bench's rows into a lab's server. Every write is an upsert on the rows' natural
// keys, so sending a row again (after a lost answer or a restart) never stores it twice.
// Every statement waits for the server at most the watchdog's patience.
class ServerUpload {
  public:
    ServerUpload(QSqlDatabase& db, QString bench, ServerWatchdog& watchdog)
        : db_(db), bench_(std::move(bench)), watchdog_(watchdog) {}

    bool registerBench(const QString& host);
    bool begin();
    bool commit();
    void rollback();

    bool measurement(const MeasurementRow& row);
    bool segments(qint64 id, const SegmentLabels& labels);
    // The server's context of the measurement becomes `values`.
    bool context(qint64 id, const ContextValues& values);
    bool files(qint64 id, const std::vector<FileRow>& rows);
    // Drops the server's points of `segment` (0: all) of the measurement.
    bool dropPoints(qint64 id, int segment);
    bool points(qint64 id, const PointColumns& columns);
    // Notes when the bench last sent something.
    bool touchBench();

    const QString& error() const { return error_; }

  private:
    bool run(const QString& statement, const QVariantList& values);

    QSqlDatabase& db_;
    QString bench_;
    ServerWatchdog& watchdog_;
    QString error_;
};

}  // namespace tarvix::mirror
