// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/ServerUpload.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

#include "mirror/PointBlocks.h"
#include "mirror/ServerError.h"

namespace tarvix::mirror {

namespace {

QString array(const QStringList& values, qsizetype from, qsizetype count) {
    return QLatin1Char('{') + values.mid(from, count).join(QLatin1Char(',')) + QLatin1Char('}');
}

// A text as an element of a PostgreSQL array literal.
QString arrayElement(QString text) {
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

constexpr qint64 kTouchMs = 60000;

}  // namespace

QString ServerUpload::error() const {
    return serverMessage(error_);
}

ServerFault ServerUpload::fault() const {
    return classifyServerError(error_);
}

// Each statement is prepared on the server once per connection and then only executed, its
// values written into the EXECUTE by the driver's own quoting. The server forgets them with
// the connection.
bool ServerUpload::execute(QSqlQuery& query, const QString& statement, const QVariantList& values) {
    const ServerWatchdog::Wait wait(watchdog_);
    query = QSqlQuery(db_);
    query.setForwardOnly(true);
    auto found = statements_.find(statement);
    if (found == statements_.end()) {
        QString numbered;
        int parameter = 0;
        for (const QChar c : statement) {
            numbered += c == QLatin1Char('?') ? QStringLiteral("$%1").arg(++parameter) : QString(c);
        }
        const QString name = QStringLiteral("tarvix_%1").arg(statements_.size() + 1);
        if (!query.exec(QStringLiteral("PREPARE %1 AS %2").arg(name, numbered))) {
            error_ = query.lastError();
            return false;
        }
        found = statements_.emplace(statement, name).first;
    }
    QStringList literals;
    for (const QVariant& value : values) {
        QSqlField field(QString(), value.metaType());
        field.setValue(value);
        literals << db_.driver()->formatValue(field);
    }
    const QString call = values.isEmpty() ? found->second
                                          : QStringLiteral("%1 (%2)").arg(
                                                found->second, literals.join(QStringLiteral(", ")));
    if (!query.exec(QStringLiteral("EXECUTE ") + call)) {
        error_ = query.lastError();
        return false;
    }
    return true;
}

bool ServerUpload::run(const QString& statement, const QVariantList& values) {
    QSqlQuery query;
    return execute(query, statement, values);
}

bool ServerUpload::begin() {
    error_ = QSqlError();
    const ServerWatchdog::Wait wait(watchdog_);
    if (db_.transaction()) {
        inTransaction_ = true;
        return true;
    }
    error_ = db_.lastError();
    return false;
}

bool ServerUpload::commit() {
    inTransaction_ = false;
    const ServerWatchdog::Wait wait(watchdog_);
    if (db_.commit()) {
        return true;
    }
    error_ = db_.lastError();
    return false;
}

void ServerUpload::rollback() {
    // A connection that broke was closed by the driver, and the server rolled back then.
    if (!db_.isOpen() || !inTransaction_) {
        return;
    }
    inTransaction_ = false;
    const ServerWatchdog::Wait wait(watchdog_);
    db_.rollback();
}

// Every upsert leaves a row that already holds the same values alone: no new row version,
// no write-ahead log.
bool ServerUpload::measurement(const MeasurementRow& row) {
    return run(
        QStringLiteral(
            "INSERT INTO measurement AS m (bench, id, kind, started, ended, state, slot, comment) "
            "VALUES (?::uuid, ?::bigint, ?, ?::timestamp, ?::timestamp, ?, ?::integer, ?) "
            "ON CONFLICT (bench, id) DO UPDATE SET kind = EXCLUDED.kind, "
            "started = EXCLUDED.started, ended = EXCLUDED.ended, state = EXCLUDED.state, "
            "slot = EXCLUDED.slot, comment = EXCLUDED.comment "
            "WHERE (m.kind, m.started, m.ended, m.state, m.slot, m.comment) IS DISTINCT FROM "
            "(EXCLUDED.kind, EXCLUDED.started, EXCLUDED.ended, EXCLUDED.state, EXCLUDED.slot, "
            "EXCLUDED.comment)"),
        {bench_, row.id, row.kind, row.started, row.ended, row.state, row.slot, row.comment});
}

bool ServerUpload::segment(qint64 id, int segment, const QString& label) {
    return run(QStringLiteral("INSERT INTO segment AS s (bench, measurement_id, segment, label) "
                              "VALUES (?::uuid, ?::bigint, ?::integer, ?) "
                              "ON CONFLICT (bench, measurement_id, segment) "
                              "DO UPDATE SET label = EXCLUDED.label "
                              "WHERE s.label IS DISTINCT FROM EXCLUDED.label"),
               {bench_, id, segment, label});
}

bool ServerUpload::context(qint64 id, const ContextValues& values) {
    QStringList keys;
    QStringList texts;
    for (const auto& [key, value] : values) {
        keys << arrayElement(key);
        texts << (value.isNull() ? QStringLiteral("NULL") : arrayElement(value.toString()));
    }
    const QString keyArray = array(keys, 0, keys.size());
    // One statement for all the values: a round trip each would dominate on a slow link.
    return run(QStringLiteral("DELETE FROM context WHERE bench = ?::uuid AND "
                              "measurement_id = ?::bigint AND key <> ALL (?::text[])"),
               {bench_, id, keyArray}) &&
           (values.empty() ||
            run(QStringLiteral("INSERT INTO context AS c (bench, measurement_id, key, value) "
                               "SELECT ?::uuid, ?::bigint, v.* FROM unnest(?::text[], ?::text[]) "
                               "AS v ON CONFLICT (bench, measurement_id, key) DO UPDATE "
                               "SET value = EXCLUDED.value "
                               "WHERE c.value IS DISTINCT FROM EXCLUDED.value"),
                {bench_, id, keyArray, array(texts, 0, texts.size())}));
}

bool ServerUpload::files(qint64 id, const std::vector<FileRow>& rows) {
    for (const FileRow& row : rows) {
        if (!run(QStringLiteral(
                     "INSERT INTO file AS f (bench, id, measurement_id, path, role, written) "
                     "VALUES (?::uuid, ?::bigint, ?::bigint, ?, ?, ?::timestamp) "
                     "ON CONFLICT (bench, id) DO UPDATE SET measurement_id = "
                     "EXCLUDED.measurement_id, path = EXCLUDED.path, role = EXCLUDED.role, "
                     "written = EXCLUDED.written WHERE (f.measurement_id, f.path, f.role, "
                     "f.written) IS DISTINCT FROM (EXCLUDED.measurement_id, EXCLUDED.path, "
                     "EXCLUDED.role, EXCLUDED.written)"),
                 {bench_, row.id, id, row.path, row.role, row.written})) {
            return false;
        }
    }
    return true;
}

bool ServerUpload::dropPoints(qint64 id, int segment) {
    return run(QStringLiteral("DELETE FROM point_block WHERE bench = ?::uuid AND "
                              "measurement_id = ?::bigint AND segment = ?::integer"),
               {bench_, id, segment});
}

// Making a month's partition locks the whole table for a moment: once per month and
// connection, outside the measurements' transactions.
bool ServerUpload::month(const QString& first) {
    if (months_.contains(first)) {
        return true;
    }
    if (!run(QStringLiteral("SELECT point_month(?::date)"), {first})) {
        return false;
    }
    months_.insert(first);
    return true;
}

// A block sent again (its answer was lost) replaces the one stored under its key.
bool ServerUpload::points(qint64 id, int segment, const QString& month,
                          const PointColumns& columns) {
    for (const PointBlock& block : pointBlocks(columns)) {
        if (!run(QStringLiteral(
                     "INSERT INTO point_block (bench, measurement_id, segment, first, month, "
                     "idx, x, y, z, w, t, t_ms, w_derived) VALUES (?::uuid, ?::bigint, "
                     "?::integer, ?::integer, ?::date, ?::integer[], ?::float8[], ?::float8[], "
                     "?::float8[], ?::float8[], ?::float8[], ?::integer[], "
                     "nullif(?::boolean, false)) ON CONFLICT (bench, measurement_id, "
                     "segment, first, month) DO UPDATE SET idx = EXCLUDED.idx, x = EXCLUDED.x, "
                     "y = EXCLUDED.y, z = EXCLUDED.z, w = EXCLUDED.w, t = EXCLUDED.t, "
                     "t_ms = EXCLUDED.t_ms, w_derived = EXCLUDED.w_derived"),
                 {bench_, id, segment, block.first, month, block.idx, block.x, block.y, block.z,
                  block.w, block.t, block.tMs, block.wDerived})) {
            return false;
        }
    }
    return true;
}

std::optional<BenchPlace> ServerUpload::claimBench(const QString& host, const BenchPlace& here) {
    // The first bench to name the identity records where it was made; every later one is
    // told that place and compares it with its own.
    if (!run(QStringLiteral("INSERT INTO bench (id, host, machine, journal) "
                            "VALUES (?::uuid, ?, ?, ?) ON CONFLICT (id) DO NOTHING"),
             {bench_, host, here.machine, here.journal})) {
        return std::nullopt;
    }
    QSqlQuery query;
    if (!execute(query,
                 QStringLiteral("SELECT coalesce(machine, ''), coalesce(journal, '') FROM bench "
                                "WHERE id = ?::uuid"),
                 {bench_})) {
        return std::nullopt;
    }
    if (!query.next()) {
        error_ = query.lastError();
        return std::nullopt;
    }
    return BenchPlace{query.value(0).toString(), query.value(1).toString()};
}

bool ServerUpload::placeBench(const QString& host, const BenchPlace& here) {
    return run(QStringLiteral("UPDATE bench SET host = ?, machine = ?, journal = ? "
                              "WHERE id = ?::uuid"),
               {host, here.machine, here.journal, bench_});
}

std::map<qint64, QString> ServerUpload::rejected() {
    std::map<qint64, QString> found;
    QSqlQuery query;
    if (execute(query,
                QStringLiteral("SELECT measurement_id, message FROM rejected "
                               "WHERE bench = ?::uuid ORDER BY at"),
                {bench_})) {
        while (query.next()) {
            found[query.value(0).toLongLong()] = query.value(1).toString();
        }
    }
    return found;
}

bool ServerUpload::reject(qint64 id, const QString& message) {
    return run(QStringLiteral("INSERT INTO rejected (bench, measurement_id, message) "
                              "VALUES (?::uuid, ?::bigint, ?) ON CONFLICT (bench, measurement_id) "
                              "DO UPDATE SET message = EXCLUDED.message, at = now()"),
               {bench_, id, message});
}

bool ServerUpload::accepted(qint64 id) {
    return run(
        QStringLiteral("DELETE FROM rejected WHERE bench = ?::uuid AND measurement_id = ?::bigint"),
        {bench_, id});
}

// Once a minute is enough to tell a lab which benches are alive.
bool ServerUpload::touchBench() {
    if (touched_.isValid() && touched_.elapsed() < kTouchMs) {
        return true;
    }
    touched_.start();
    return run(QStringLiteral("UPDATE bench SET last_seen = now() WHERE id = ?::uuid"), {bench_});
}

}  // namespace tarvix::mirror
