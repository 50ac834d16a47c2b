#include "mirror/ServerUpload.h"

#include <QSqlError>
#include <QSqlQuery>

namespace tarvix::mirror {

namespace {

// Points per statement: large enough that a backlog goes in few round trips, small enough
// that one statement stays well below a second on a slow link.
constexpr qsizetype kPointsPerStatement = 4000;

QString array(const QStringList& values, qsizetype from, qsizetype count) {
    return QLatin1Char('{') + values.mid(from, count).join(QLatin1Char(',')) + QLatin1Char('}');
}

}  // namespace

bool ServerUpload::run(const QString& statement, const QVariantList& values) {
    const ServerWatchdog::Wait wait(watchdog_);
    QSqlQuery query(db_);
    if (!query.prepare(statement)) {
        error_ = query.lastError().text();
        return false;
    }
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        error_ = query.lastError().text();
        return false;
    }
    return true;
}

bool ServerUpload::registerBench(const QString& host) {
    return run(QStringLiteral("INSERT INTO bench (id, host) VALUES (?::uuid, ?) "
                              "ON CONFLICT (id) DO UPDATE SET host = EXCLUDED.host"),
               {bench_, host});
}

bool ServerUpload::begin() {
    const ServerWatchdog::Wait wait(watchdog_);
    if (db_.transaction()) {
        return true;
    }
    error_ = db_.lastError().text();
    return false;
}

bool ServerUpload::commit() {
    const ServerWatchdog::Wait wait(watchdog_);
    if (db_.commit()) {
        return true;
    }
    error_ = db_.lastError().text();
    return false;
}

void ServerUpload::rollback() {
    // A connection that broke was closed by the driver, and the server rolled back then.
    if (!db_.isOpen()) {
        return;
    }
    const ServerWatchdog::Wait wait(watchdog_);
    db_.rollback();
}

bool ServerUpload::measurement(const MeasurementRow& row) {
    return run(
        QStringLiteral(
            "INSERT INTO measurement (bench, id, kind, started, ended, state, slot, comment) "
            "VALUES (?::uuid, ?::bigint, ?, ?::timestamp, ?::timestamp, ?, ?::integer, ?) "
            "ON CONFLICT (bench, id) DO UPDATE SET kind = EXCLUDED.kind, "
            "started = EXCLUDED.started, ended = EXCLUDED.ended, state = EXCLUDED.state, "
            "slot = EXCLUDED.slot, comment = EXCLUDED.comment"),
        {bench_, row.id, row.kind, row.started, row.ended, row.state, row.slot, row.comment});
}

bool ServerUpload::segments(qint64 id, const SegmentLabels& labels) {
    for (const auto& [segment, label] : labels) {
        if (!run(QStringLiteral("INSERT INTO segment (bench, measurement_id, segment, label) "
                                "VALUES (?::uuid, ?::bigint, ?::integer, ?) "
                                "ON CONFLICT (bench, measurement_id, segment) "
                                "DO UPDATE SET label = EXCLUDED.label"),
                 {bench_, id, segment, label})) {
            return false;
        }
    }
    return true;
}

bool ServerUpload::context(qint64 id, const ContextValues& values) {
    if (!run(QStringLiteral(
                 "DELETE FROM context WHERE bench = ?::uuid AND measurement_id = ?::bigint"),
             {bench_, id})) {
        return false;
    }
    if (values.empty()) {
        return true;
    }
    // One statement for all the values: a round trip each would dominate on a slow link.
    QStringList rows;
    QVariantList bound;
    for (const auto& [key, value] : values) {
        rows << QStringLiteral("(?::uuid, ?::bigint, ?, ?)");
        bound << bench_ << id << key << value;
    }
    return run(QStringLiteral("INSERT INTO context (bench, measurement_id, key, value) VALUES ") +
                   rows.join(QStringLiteral(", ")),
               bound);
}

bool ServerUpload::files(qint64 id, const std::vector<FileRow>& rows) {
    for (const FileRow& row : rows) {
        if (!run(QStringLiteral(
                     "INSERT INTO file (bench, id, measurement_id, path, role, written) "
                     "VALUES (?::uuid, ?::bigint, ?::bigint, ?, ?, ?::timestamp) "
                     "ON CONFLICT (bench, id) DO UPDATE SET measurement_id = "
                     "EXCLUDED.measurement_id, path = EXCLUDED.path, role = EXCLUDED.role, "
                     "written = EXCLUDED.written"),
                 {bench_, row.id, id, row.path, row.role, row.written})) {
            return false;
        }
    }
    return true;
}

bool ServerUpload::dropPoints(qint64 id, int segment) {
    return run(QStringLiteral("DELETE FROM point WHERE bench = ?::uuid AND "
                              "measurement_id = ?::bigint AND (?::integer = 0 OR segment = ?)"),
               {bench_, id, segment, segment});
}

bool ServerUpload::points(qint64 id, const PointColumns& columns) {
    for (qsizetype from = 0; from < columns.size(); from += kPointsPerStatement) {
        QVariantList values{bench_, id};
        for (const QStringList* column : {&columns.segment, &columns.idx, &columns.x, &columns.y,
                                          &columns.z, &columns.w, &columns.t}) {
            values << array(*column, from, kPointsPerStatement);
        }
        if (!run(QStringLiteral(
                     "INSERT INTO point (bench, measurement_id, segment, idx, x, y, z, w, t) "
                     "SELECT ?::uuid, ?::bigint, p.* FROM unnest(?::integer[], ?::integer[], "
                     "?::float8[], ?::float8[], ?::float8[], ?::float8[], ?::float8[]) AS p "
                     "ON CONFLICT (bench, measurement_id, segment, idx) DO UPDATE SET "
                     "x = EXCLUDED.x, y = EXCLUDED.y, z = EXCLUDED.z, w = EXCLUDED.w, "
                     "t = EXCLUDED.t"),
                 values)) {
            return false;
        }
    }
    return true;
}

bool ServerUpload::touchBench() {
    return run(QStringLiteral("UPDATE bench SET last_seen = now() WHERE id = ?::uuid"), {bench_});
}

}  // namespace tarvix::mirror
