// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/MeasurementHistory.h"

#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <cmath>

#include "series/SeriesStore.h"
#include "text/ClockText.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::journal {

namespace {

using series::SeriesStore;

// SQLite keeps a NaN as NULL.
float realOrNan(const QVariant& value) {
    return value.isNull() ? std::nanf("") : static_cast<float>(value.toDouble());
}
double doubleOrNan(const QVariant& value) {
    return value.isNull() ? std::nan("") : value.toDouble();
}

// The filter's four values come once each: lowest date, highest date, text, LIKE pattern.
// A start whose date is no calendar day (`day` NULL) cannot be placed between dates: it is
// listed, last, only when no date limits the list.
constexpr const char* kListQuery =
    "WITH f (lo, hi, txt, pat) AS (SELECT ?, ?, ?, ?), "
    "m AS (SELECT id, started, kind, comment, "
    " CASE WHEN date(substr(started, 1, 10)) = substr(started, 1, 10) "
    "  THEN substr(started, 1, 10) END AS day FROM measurement) "
    "SELECT m.id, m.started, m.kind, m.comment, "
    "(SELECT count(*) FROM point p WHERE p.measurement_id = m.id) AS points, "
    "(SELECT group_concat(value, '; ') FROM context c WHERE c.measurement_id = m.id "
    " AND c.key LIKE 'instrument.%') "
    "FROM m, f "
    "WHERE CASE WHEN m.day IS NULL THEN f.lo = '' AND f.hi = '9999-12-31' "
    " ELSE m.day BETWEEN f.lo AND f.hi END "
    "AND (f.txt = '' OR m.comment LIKE f.pat ESCAPE '\\' OR m.kind LIKE f.pat ESCAPE '\\' "
    " OR EXISTS (SELECT 1 FROM context c WHERE c.measurement_id = m.id "
    "  AND c.value LIKE f.pat ESCAPE '\\') "
    " OR EXISTS (SELECT 1 FROM file WHERE file.measurement_id = m.id "
    "  AND file.path LIKE f.pat ESCAPE '\\')) "
    "AND EXISTS (SELECT 1 FROM point p WHERE p.measurement_id = m.id) "
    "ORDER BY m.day IS NULL, m.started DESC, m.id DESC";

// The text found anywhere: its own % and _ are letters, not LIKE's wildcards.
QString containsPattern(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('%'), QStringLiteral("\\%"))
        .replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// Steps through the rows of `query`, executed already; false with `readFailure` set when the
// execution or a step failed.
template <typename Row>
bool readRows(QSqlQuery& query, bool executed, QString* readFailure, Row row) {
    while (executed && query.next()) {
        row();
    }
    if (!query.lastError().isValid()) {
        return true;
    }
    if (readFailure) {
        *readFailure = readErrorText(query.lastError());
    }
    return false;
}

void emptySlot(SeriesStore& store, int slot) {
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        store.storedVoltage(segment, slot)[0] = 0;
        store.storedCurrent(segment, slot)[0] = 0;
        store.segmentLabel(segment, slot).clear();
    }
}

}  // namespace

std::vector<HistoryEntry> listMeasurements(QSqlDatabase& db, const HistoryFilter& filter) {
    QSqlQuery query(db);
    query.prepare(QString::fromLatin1(kListQuery));
    // A null text would be bound as NULL, which compares as nothing.
    query.addBindValue(filter.from.isValid() ? filter.from.toString(Qt::ISODate)
                                             : QStringLiteral(""));
    query.addBindValue(filter.to.isValid() ? filter.to.toString(Qt::ISODate)
                                           : QStringLiteral("9999-12-31"));
    query.addBindValue(filter.text.isNull() ? QStringLiteral("") : filter.text);
    query.addBindValue(containsPattern(filter.text));
    std::vector<HistoryEntry> entries;
    if (!query.exec()) {
        return entries;
    }
    while (query.next()) {
        HistoryEntry entry;
        entry.id = query.value(0).toLongLong();
        // Invalid when unreadable: the list shows the date as unknown.
        entry.started = QDateTime::fromString(query.value(1).toString(), Qt::ISODateWithMs);
        entry.kind = query.value(2).toString();
        entry.comment = query.value(3).toString();
        entry.points = query.value(4).toInt();
        entry.instruments = query.value(5).toString();
        entries.push_back(entry);
    }
    return entries;
}

QString readErrorText(const QSqlError& error) {
    const QString text =
        error.databaseText().isEmpty() ? error.text().trimmed() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

QDateTime momentOfPoint(const QDateTime& started, double dayFraction) {
    QDateTime moment(started.date(), text::timeFromDayFraction(dayFraction));
    return moment < started.addMSecs(-999) ? moment.addDays(1) : moment;
}

bool readIvSeries(QSqlDatabase& db, qint64 id, SeriesStore& store, int slot, QString* readFailure) {
    QSqlQuery points(db);
    points.setForwardOnly(true);
    points.prepare(
        QStringLiteral("SELECT segment, idx, x, y, compliance FROM point WHERE measurement_id = ? "
                       "AND segment BETWEEN 1 AND 8 AND idx BETWEEN 1 AND 10000 "
                       "ORDER BY segment, idx"));
    points.addBindValue(id);
    bool any = false;
    bool read = readRows(points, points.exec(), readFailure, [&] {
        const int segment = points.value(0).toInt();
        const int index = points.value(1).toInt();
        float* voltage = store.storedVoltage(segment, slot);
        float* current = store.storedCurrent(segment, slot);
        voltage[index] = realOrNan(points.value(2));
        current[index] = realOrNan(points.value(3));
        store.setAtCompliance(slot, segment, index, points.value(4).toInt() != 0);
        const float count = std::max(current[0], static_cast<float>(index));
        voltage[0] = count;
        current[0] = count;
        any = true;
    });
    if (read && any) {
        QSqlQuery labels(db);
        labels.setForwardOnly(true);
        labels.prepare(
            QStringLiteral("SELECT segment, label FROM segment WHERE measurement_id = ? "
                           "AND segment BETWEEN 1 AND 8"));
        labels.addBindValue(id);
        read = readRows(labels, labels.exec(), readFailure, [&] {
            store.segmentLabel(labels.value(0).toInt(), slot) = labels.value(1).toString();
        });
    }
    if (!read) {
        emptySlot(store, slot);
    }
    return read && any;
}

std::vector<PointValues> readPoints(QSqlDatabase& db, qint64 id, int limit, QString* readFailure) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT idx, x, y, z, w, t FROM point WHERE measurement_id = ? "
                       "AND segment = 1 AND idx BETWEEN 1 AND ? ORDER BY idx"));
    query.addBindValue(id);
    query.addBindValue(limit);
    std::vector<PointValues> points;
    const double missing = std::nan("");
    if (!readRows(query, query.exec(), readFailure, [&] {
            const auto index = static_cast<std::size_t>(query.value(0).toInt());
            points.resize(index, {missing, missing, missing, missing, missing});
            for (std::size_t column = 0; column < 5; ++column) {
                points[index - 1][column] = doubleOrNan(query.value(static_cast<int>(column) + 1));
            }
        })) {
        points.clear();
    }
    return points;
}

std::map<QString, QString> readSettings(QSqlDatabase& db, qint64 id) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT key, value FROM context WHERE measurement_id = ?"));
    query.addBindValue(id);
    query.exec();
    std::map<QString, QString> settings;
    while (query.next()) {
        settings[query.value(0).toString()] = query.value(1).toString();
    }
    return settings;
}

thermo::ThermoRunKind thermoRunKind(const QString& kind) {
    return kind == QStringLiteral("thermocouple") ? thermo::ThermoRunKind::Thermocouple
                                                  : thermo::ThermoRunKind::FourProbe;
}

int readThermoRecord(QSqlDatabase& db, qint64 id, thermo::ThermoRunKind kind,
                     thermo::ThermoRecord& record, QString* readFailure) {
    const std::vector<PointValues> samples =
        readPoints(db, id, thermo::ThermoRecord::kMaxSamples, readFailure);
    std::size_t k = 0;
    for (const auto& [temp, resistance, refTemp, tcTemp, time] : samples) {
        ++k;
        record.thermoTemp[k] = temp;
        record.thermoResistance[k] = resistance;
        record.thermoRefTemp[k] = refTemp;
        record.thermoTcTemp[k] = tcTemp;
        record.thermoTime[k] = time;
    }
    record.thermoCount = static_cast<int>(samples.size());
    record.filledBy = samples.empty() ? thermo::ThermoRunKind::None : kind;
    return record.thermoCount;
}

}  // namespace tarvix::journal
