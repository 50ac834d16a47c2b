// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/LocalJournalReader.h"

#include <QDateTime>
#include <QSqlQuery>
#include <limits>

#include "mirror/BoundQuery.h"

namespace tarvix::mirror {

namespace {

constexpr int kOpenAfterEndS = 60;

// A time as PostgreSQL reads it, or null for a text that is no time.
QVariant timeOrNull(const QVariant& text) {
    const QDateTime time = QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
    return time.isValid() ? QVariant(time.toString(Qt::ISODateWithMs))
                          : QVariant(QMetaType::fromType<QString>());
}

// PostgreSQL stores no NUL in a text: it becomes U+FFFD, the character that stands for one
// that cannot be shown.
QString storable(QString text) {
    return text.replace(QChar(u'\0'), QChar::ReplacementCharacter);
}

QVariant storable(const QVariant& value) {
    return value.isNull() ? value : QVariant(storable(value.toString()));
}

double number(const QSqlQuery& query, int column) {
    return query.isNull(column) ? std::numeric_limits<double>::quiet_NaN()
                                : query.value(column).toDouble();
}

}  // namespace

QString LocalJournalReader::benchId() {
    QSqlQuery query = boundQuery(db_, QStringLiteral("SELECT id FROM bench"), {});
    return query.next() ? query.value(0).toString() : QString();
}

QString LocalJournalReader::lastServer() {
    QSqlQuery query = boundQuery(
        db_, QStringLiteral("SELECT server FROM mirror_server ORDER BY change_seq DESC LIMIT 1"),
        {});
    return query.next() ? query.value(0).toString() : QString();
}

std::vector<std::pair<qint64, qint64>> LocalJournalReader::changesAfter(qint64 seq, int limit) {
    QSqlQuery query = boundQuery(db_,
                                 QStringLiteral("SELECT measurement_id, seq FROM mirror_change "
                                                "WHERE seq > ? ORDER BY seq LIMIT ?"),
                                 {seq, limit});
    std::vector<std::pair<qint64, qint64>> changes;
    while (query.next()) {
        changes.emplace_back(query.value(0).toLongLong(), query.value(1).toLongLong());
    }
    return changes;
}

// A point may still land a moment after its measurement ended (points are written by a
// thread of their own): a measurement counts as open for a minute after its end.
std::vector<qint64> LocalJournalReader::openMeasurements() {
    const QString recent =
        QDateTime::currentDateTime().addSecs(-kOpenAfterEndS).toString(Qt::ISODateWithMs);
    QSqlQuery query = boundQuery(
        db_, QStringLiteral("SELECT id FROM measurement WHERE ended IS NULL OR ended >= ?"),
        {recent});
    std::vector<qint64> ids;
    while (query.next()) {
        ids.push_back(query.value(0).toLongLong());
    }
    return ids;
}

std::optional<MeasurementRow> LocalJournalReader::measurement(qint64 id) {
    QSqlQuery query = boundQuery(db_,
                                 QStringLiteral("SELECT kind, started, ended, state, slot, comment "
                                                "FROM measurement WHERE id = ?"),
                                 {id});
    if (!query.next()) {
        return std::nullopt;
    }
    return MeasurementRow{id,
                          storable(query.value(0).toString()),
                          timeOrNull(query.value(1)),
                          timeOrNull(query.value(2)),
                          storable(query.value(3).toString()),
                          query.value(4).toInt(),
                          storable(query.value(5).toString())};
}

SegmentLabels LocalJournalReader::segments(qint64 id) {
    QSqlQuery query = boundQuery(
        db_, QStringLiteral("SELECT segment, label FROM segment WHERE measurement_id = ?"), {id});
    SegmentLabels labels;
    while (query.next()) {
        labels.emplace_back(query.value(0).toInt(), storable(query.value(1).toString()));
    }
    return labels;
}

ContextValues LocalJournalReader::context(qint64 id) {
    QSqlQuery query = boundQuery(
        db_, QStringLiteral("SELECT key, value FROM context WHERE measurement_id = ?"), {id});
    ContextValues values;
    while (query.next()) {
        values.emplace_back(storable(query.value(0).toString()), storable(query.value(1)));
    }
    return values;
}

std::vector<FileRow> LocalJournalReader::files(qint64 id) {
    QSqlQuery query = boundQuery(
        db_, QStringLiteral("SELECT rowid, path, role, written FROM file WHERE measurement_id = ?"),
        {id});
    std::vector<FileRow> rows;
    while (query.next()) {
        rows.push_back(FileRow{query.value(0).toLongLong(), storable(query.value(1).toString()),
                               storable(query.value(2).toString()), timeOrNull(query.value(3))});
    }
    return rows;
}

SegmentCounts LocalJournalReader::counts(qint64 id) {
    QSqlQuery query = boundQuery(db_,
                                 QStringLiteral("SELECT segment, max(idx), count(*), "
                                                "max(CASE WHEN idx = 1 THEN t END) FROM point "
                                                "WHERE measurement_id = ? GROUP BY segment"),
                                 {id});
    SegmentCounts counts;
    while (query.next()) {
        SegmentCount& count = counts[query.value(0).toInt()];
        count.idx = query.value(1).toInt();
        count.points = query.value(2).toLongLong();
        if (!query.isNull(3)) {
            count.first = query.value(3).toDouble();
        }
    }
    return counts;
}

PointColumns LocalJournalReader::points(qint64 id, int segment, int after, int upTo) {
    QSqlQuery query = boundQuery(db_,
                                 QStringLiteral("SELECT idx, x, y, z, w, t FROM point "
                                                "WHERE measurement_id = ? AND segment = ? "
                                                "AND idx > ? AND idx <= ? ORDER BY idx"),
                                 {id, segment, after, upTo});
    PointColumns columns;
    while (query.next()) {
        columns.idx.push_back(query.value(0).toInt());
        columns.x.push_back(number(query, 1));
        columns.y.push_back(number(query, 2));
        columns.z.push_back(number(query, 3));
        columns.w.push_back(number(query, 4));
        columns.t.push_back(number(query, 5));
    }
    return columns;
}

}  // namespace tarvix::mirror
