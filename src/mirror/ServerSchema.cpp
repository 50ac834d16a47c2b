// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/ServerSchema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <span>

#include "mirror/ServerError.h"

namespace tarvix::mirror {

namespace {

// Holds back a second bench while the first creates or upgrades the tables.
constexpr qint64 kSchemaLock = 0x54727678;  // "Trvx"

// The tables of a bench's measurement database, each keyed by the bench as well.
constexpr const char* kVersion1[] = {
    ("CREATE TABLE schema_version (version integer PRIMARY KEY, "
     "applied timestamptz NOT NULL DEFAULT now())"),
    "CREATE TABLE server_identity (id uuid PRIMARY KEY)",
    ("CREATE TABLE bench (id uuid PRIMARY KEY, host text NOT NULL DEFAULT '', "
     "first_seen timestamptz NOT NULL DEFAULT now())"),
    ("CREATE TABLE measurement (bench uuid NOT NULL REFERENCES bench(id), id bigint NOT NULL, "
     "kind text NOT NULL, started timestamp(3), ended timestamp(3), "
     "state text NOT NULL DEFAULT 'unsaved', slot integer NOT NULL DEFAULT 0, "
     "comment text NOT NULL DEFAULT '', PRIMARY KEY (bench, id))"),
    ("CREATE TABLE segment (bench uuid NOT NULL, measurement_id bigint NOT NULL, "
     "segment integer NOT NULL, label text NOT NULL DEFAULT '', "
     "PRIMARY KEY (bench, measurement_id, segment), "
     "FOREIGN KEY (bench, measurement_id) REFERENCES measurement (bench, id))"),
    ("CREATE TABLE point (bench uuid NOT NULL, measurement_id bigint NOT NULL, "
     "segment integer NOT NULL, idx integer NOT NULL, x double precision, "
     "y double precision, z double precision, w double precision, t double precision, "
     "PRIMARY KEY (bench, measurement_id, segment, idx), "
     "FOREIGN KEY (bench, measurement_id) REFERENCES measurement (bench, id))"),
    ("CREATE TABLE context (bench uuid NOT NULL, measurement_id bigint NOT NULL, "
     "key text NOT NULL, value text, PRIMARY KEY (bench, measurement_id, key), "
     "FOREIGN KEY (bench, measurement_id) REFERENCES measurement (bench, id))"),
    ("CREATE TABLE file (bench uuid NOT NULL, id bigint NOT NULL, "
     "measurement_id bigint NOT NULL, path text NOT NULL, role text NOT NULL, "
     "written timestamp(3), PRIMARY KEY (bench, id), "
     "FOREIGN KEY (bench, measurement_id) REFERENCES measurement (bench, id))"),
};

// When each bench last sent something, and the lookups a lab makes: by date, by comment
// (case-insensitive), and the files of a measurement.
constexpr const char* kVersion2[] = {
    "ALTER TABLE bench ADD COLUMN last_seen timestamptz",
    "CREATE INDEX measurement_started ON measurement (started)",
    "CREATE INDEX measurement_comment ON measurement (lower(comment))",
    "CREATE INDEX file_measurement ON file (bench, measurement_id)",
};

// Where each bench's database was made, so a copy is told from its original, and the
// measurements the server refused, so one bad row never holds up the rest.
constexpr const char* kVersion3[] = {
    "ALTER TABLE bench ADD COLUMN machine text, ADD COLUMN journal text",
    ("CREATE TABLE rejected (bench uuid NOT NULL REFERENCES bench(id), "
     "measurement_id bigint NOT NULL, message text NOT NULL, "
     "at timestamptz NOT NULL DEFAULT now(), PRIMARY KEY (bench, measurement_id))"),
};

// Points in blocks: one row holds up to a thousand points of a segment as arrays, the time
// of day as whole milliseconds where it is one (it always is for this program's points), so
// a point costs a quarter of the disk a row of its own did. The blocks are partitioned by
// the month the measurement started (1970-01 when that is not known), so a lab can detach
// and archive a month. `point` stays what it was for the lab's queries: a view with one row
// per point.
constexpr const char* kVersion4[] = {
    "ALTER TABLE point RENAME TO point_row",
    ("CREATE TABLE point_block (bench uuid NOT NULL, measurement_id bigint NOT NULL, "
     "segment integer NOT NULL, first integer NOT NULL, month date NOT NULL, idx integer[], "
     "x float8[], y float8[], z float8[], w float8[], t float8[], t_ms integer[], "
     "PRIMARY KEY (bench, measurement_id, segment, first, month), "
     "FOREIGN KEY (bench, measurement_id) REFERENCES measurement (bench, id)) "
     "PARTITION BY RANGE (month)"),
    // Security definer: any role that may write points may make the month they need.
    ("CREATE FUNCTION point_month(day date) RETURNS void LANGUAGE plpgsql SECURITY DEFINER "
     "SET search_path = public AS $$ "
     "DECLARE first date := date_trunc('month', day)::date; "
     "name text := 'point_block_' || to_char(first, 'YYYY_MM'); "
     "BEGIN "
     "IF to_regclass(name) IS NULL THEN "
     "PERFORM pg_advisory_xact_lock(1416787576, 1); "
     "BEGIN "
     "EXECUTE format('CREATE TABLE %I PARTITION OF point_block FOR VALUES FROM (%L) TO (%L)', "
     "name, first, (first + interval '1 month')::date); "
     // Another bench made it a moment ago.
     "EXCEPTION WHEN duplicate_table THEN NULL; "
     "END; END IF; END $$"),
    ("SELECT point_month(d) FROM (SELECT DISTINCT coalesce(m.started, '1970-01-01')::date AS d "
     "FROM measurement m WHERE EXISTS (SELECT 1 FROM point_row p WHERE p.bench = m.bench "
     "AND p.measurement_id = m.id)) AS months"),
    ("INSERT INTO point_block SELECT bench, measurement_id, segment, min(idx), month, "
     "CASE WHEN max(idx) - min(idx) + 1 <> count(*) THEN array_agg(idx ORDER BY idx) END, "
     "array_agg(x ORDER BY idx), "
     "CASE WHEN bool_or(y IS NOT NULL) THEN array_agg(y ORDER BY idx) END, "
     "CASE WHEN bool_or(z IS NOT NULL) THEN array_agg(z ORDER BY idx) END, "
     "CASE WHEN bool_or(w IS NOT NULL) THEN array_agg(w ORDER BY idx) END, "
     "CASE WHEN NOT bool_and(whole) THEN array_agg(t ORDER BY idx) END, "
     "CASE WHEN bool_and(whole) AND bool_or(t IS NOT NULL) "
     "THEN array_agg(round(t * 86400000)::integer ORDER BY idx) END "
     "FROM (SELECT p.*, date_trunc('month', coalesce(m.started, '1970-01-01'))::date AS month, "
     "t IS NULL OR (abs(t) < 24 AND round(t * 86400000) / 86400000 = t) AS whole, "
     "(row_number() OVER (PARTITION BY p.bench, p.measurement_id, p.segment ORDER BY p.idx) "
     "- 1) / 1000 AS chunk FROM point_row p JOIN measurement m "
     "ON m.bench = p.bench AND m.id = p.measurement_id) AS numbered "
     "GROUP BY bench, measurement_id, segment, month, chunk"),
    "DROP TABLE point_row",
    // Every array is taken apart once per block: an element fetched by its subscript would
    // unpack a compressed array again for each point.
    ("CREATE VIEW point AS SELECT b.bench, b.measurement_id, b.segment, "
     "coalesce(p.i, b.first + p.n - 1)::integer AS idx, p.x, p.y, p.z, p.w, "
     "coalesce(p.t, p.t_ms / 86400000::float8) AS t "
     "FROM point_block b CROSS JOIN LATERAL unnest(b.x, b.y, b.z, b.w, b.t, b.t_ms, b.idx) "
     "WITH ORDINALITY AS p(x, y, z, w, t, t_ms, i, n)"),
};

// A thermocouple record's temperature is computed from its volts and reference temperature;
// a block whose every w is that computation to the very same number leaves w out
// (`w_derived`) and the view computes it. The constants and the order of the steps are the
// bench's, each step a float8 of its own, so the number is the bench's to the last bit.
constexpr const char* kVersion5[] = {
    "ALTER TABLE point_block ADD COLUMN w_derived boolean",
    ("CREATE FUNCTION thermocouple_kelvin(volts float8, reference float8) RETURNS float8 "
     "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$ SELECT CASE "
     "WHEN 1.598381e-05::float8 * 1.598381e-05::float8 - 4::float8 * 3.357102e-08::float8 * "
     "((-3.8928e-05)::float8 * reference + 0.003823111::float8 - volts) < 0 THEN -1::float8 "
     "ELSE (sqrt(1.598381e-05::float8 * 1.598381e-05::float8 - 4::float8 * "
     "3.357102e-08::float8 * ((-3.8928e-05)::float8 * reference + 0.003823111::float8 - volts)) "
     "- 1.598381e-05::float8) / (2::float8 * 3.357102e-08::float8) END $$"),
    ("CREATE OR REPLACE VIEW point AS SELECT b.bench, b.measurement_id, b.segment, "
     "coalesce(p.i, b.first + p.n - 1)::integer AS idx, p.x, p.y, p.z, "
     "CASE WHEN b.w_derived THEN thermocouple_kelvin(p.x, p.z) ELSE p.w END AS w, "
     "coalesce(p.t, p.t_ms / 86400000::float8) AS t "
     "FROM point_block b CROSS JOIN LATERAL unnest(b.x, b.y, b.z, b.w, b.t, b.t_ms, b.idx) "
     "WITH ORDINALITY AS p(x, y, z, w, t, t_ms, i, n)"),
};

const std::span<const char* const> kSteps[] = {kVersion1, kVersion2, kVersion3, kVersion4,
                                               kVersion5};
static_assert(std::size(kSteps) == ServerSchema::kCurrentVersion);

// The last failure of a step, for the caller to tell a refusal from a lost link.
thread_local QSqlError lastError;

bool run(QSqlDatabase& db, const QString& statement, QString* why,
         const QVariantList& values = {}) {
    QSqlQuery query(db);
    // Tables and locks cannot be prepared; only the rows that carry values are.
    bool done = values.isEmpty() ? query.exec(statement) : query.prepare(statement);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (done && (values.isEmpty() || query.exec())) {
        return true;
    }
    lastError = query.lastError();
    *why = schemaProblem(lastError);
    return false;
}

bool applyStep(QSqlDatabase& db, int version, QString* why) {
    for (const char* statement : kSteps[version - 1]) {
        if (!run(db, QString::fromLatin1(statement), why)) {
            return false;
        }
    }
    if (version == 1 &&
        !run(db, QStringLiteral("INSERT INTO server_identity (id) VALUES (?::uuid)"), why,
             {QUuid::createUuid().toString(QUuid::WithoutBraces)})) {
        return false;
    }
    return run(db, QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"), why,
               {version});
}

bool upgradeLocked(QSqlDatabase& db, int target, QString* why) {
    const auto found = ServerSchema::version(db);
    if (!found) {
        *why = serverMessage(lastError);
        return false;
    }
    if (*found > ServerSchema::kCurrentVersion) {
        *why = QStringLiteral("its tables are of a later version of this program (%1)").arg(*found);
        return false;
    }
    for (int version = *found + 1; version <= target; ++version) {
        if (!applyStep(db, version, why)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<int> ServerSchema::version(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT to_regclass('schema_version') IS NOT NULL")) ||
        !query.next()) {
        lastError = query.lastError();
        return std::nullopt;
    }
    if (!query.value(0).toBool()) {
        return 0;
    }
    if (!query.exec(QStringLiteral("SELECT coalesce(max(version), 0) FROM schema_version")) ||
        !query.next()) {
        lastError = query.lastError();
        return std::nullopt;
    }
    return query.value(0).toInt();
}

bool ServerSchema::upgrade(QSqlDatabase& db, QString* why, int target, ServerFault* fault) {
    lastError = QSqlError();
    if (!db.transaction()) {
        lastError = db.lastError();
        *why = serverMessage(lastError);
        if (fault) {
            *fault = classifyServerError(lastError);
        }
        return false;
    }
    const bool done =
        run(db, QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSchemaLock), why) &&
        upgradeLocked(db, target, why);
    if (!done) {
        db.rollback();
        if (fault) {
            // A later version is no failure of the server's.
            *fault = lastError.isValid() ? classifyServerError(lastError) : ServerFault::Denied;
        }
        return false;
    }
    if (!db.commit()) {
        lastError = db.lastError();
        *why = serverMessage(lastError);
        if (fault) {
            *fault = classifyServerError(lastError);
        }
        return false;
    }
    return true;
}

QString ServerSchema::identity(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT id::text FROM server_identity")) || !query.next()) {
        return {};
    }
    return query.value(0).toString();
}

}  // namespace tarvix::mirror
