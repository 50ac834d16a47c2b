#pragma once

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace tarvix::series {
class SeriesStore;
}

namespace tarvix::journal {

// One past measurement as the history lists it.
struct HistoryEntry {
    qint64 id = 0;
    QDateTime started;
    QString kind;
    QString comment;
    int points = 0;
    QString instruments;  // identification strings, "; " between them
};

// Which measurements to list: `text` found in the comment, a setting, an identification or
// a file name (empty: any); started on or after `from` and on or before `to` (null: open).
struct HistoryFilter {
    QString text;
    QDate from;
    QDate to;
};

// The measurements that hold points, newest first.
std::vector<HistoryEntry> listMeasurements(QSqlDatabase& db, const HistoryFilter& filter);

// Puts the points and labels of I-V measurement `id` into stored slot `slot` of `store`,
// each segment at its own number. False when it holds no point.
bool readIvSeries(QSqlDatabase& db, qint64 id, series::SeriesStore& store, int slot);

}  // namespace tarvix::journal
