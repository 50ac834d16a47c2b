// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <array>
#include <map>
#include <vector>

#include "thermo/ThermoRecordObserver.h"

namespace tarvix::series {
class SeriesStore;
}
namespace tarvix::thermo {
struct ThermoRecord;
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

// The readers below take `readFailure`: set to why the database could not be read (a damaged
// page, another program's lock, a table of another shape), which is not the same as finding
// nothing; untouched when the read went through.

// Puts the points, their compliance flags and the labels of I-V measurement `id` into stored slot
// `slot` of `store`, each segment at its own number. False when it holds no point, or could not be
// read (the slot is then left empty).
bool readIvSeries(QSqlDatabase& db, qint64 id, series::SeriesStore& store, int slot,
                  QString* readFailure = nullptr);

// x, y, z, w and t of one point of segment 1; a reading that failed is NaN.
using PointValues = std::array<double, 5>;

// The points of segment 1 of measurement `id` with index 1 to `limit`, point k at [k - 1];
// an index the database lacks reads as NaN.
std::vector<PointValues> readPoints(QSqlDatabase& db, qint64 id, int limit,
                                    QString* readFailure = nullptr);

// The settings and identifications kept with measurement `id`, by key.
std::map<QString, QString> readSettings(QSqlDatabase& db, qint64 id);

// The kind of record a "four-probe" or "thermocouple" measurement fills.
thermo::ThermoRunKind thermoRunKind(const QString& kind);

// Fills `record` with the samples of four-probe or thermocouple measurement `id` as the
// procedure of `kind` left them; returns the number of samples (0: the record is empty).
int readThermoRecord(QSqlDatabase& db, qint64 id, thermo::ThermoRunKind kind,
                     thermo::ThermoRecord& record, QString* readFailure = nullptr);

// Why a read failed, never empty.
QString readErrorText(const QSqlError& error);

// The moment of a point taken at time of day `dayFraction` in a run that began at `started`:
// the first such moment from the start on.
QDateTime momentOfPoint(const QDateTime& started, double dayFraction);

}  // namespace tarvix::journal
