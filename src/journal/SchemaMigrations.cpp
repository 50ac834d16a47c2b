// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SchemaMigrations.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <span>

namespace tarvix::journal {

namespace {

constexpr int kApplicationId = SchemaMigrations::kApplicationId;

// The recovery journal: measurements, their segments, points and context.
constexpr const char* kVersion1[] = {
    ("CREATE TABLE measurement (id INTEGER PRIMARY KEY, kind TEXT NOT NULL, "
     "started TEXT NOT NULL, ended TEXT, state TEXT NOT NULL DEFAULT 'unsaved', "
     "slot INTEGER NOT NULL DEFAULT 0)"),
    ("CREATE TABLE segment (measurement_id INTEGER NOT NULL REFERENCES measurement(id), "
     "segment INTEGER NOT NULL, label TEXT NOT NULL DEFAULT '', "
     "PRIMARY KEY (measurement_id, segment)) WITHOUT ROWID"),
    ("CREATE TABLE point (measurement_id INTEGER NOT NULL REFERENCES measurement(id), "
     "segment INTEGER NOT NULL, idx INTEGER NOT NULL, x REAL, y REAL, z REAL, w REAL, t REAL, "
     "PRIMARY KEY (measurement_id, segment, idx)) WITHOUT ROWID"),
    ("CREATE TABLE context (measurement_id INTEGER NOT NULL REFERENCES measurement(id), "
     "key TEXT NOT NULL, value TEXT, PRIMARY KEY (measurement_id, key)) WITHOUT ROWID"),
    "CREATE INDEX measurement_state ON measurement(state)",
};

// The measurement database: the comment of each measurement, every file it was written to,
// the version history, and an index for finding measurements by date.
constexpr const char* kVersion2[] = {
    "CREATE TABLE schema_version (version INTEGER PRIMARY KEY, applied TEXT NOT NULL)",
    "INSERT INTO schema_version (version, applied) VALUES (1, '')",
    "ALTER TABLE measurement ADD COLUMN comment TEXT NOT NULL DEFAULT ''",
    ("CREATE TABLE file (measurement_id INTEGER NOT NULL REFERENCES measurement(id), "
     "path TEXT NOT NULL, role TEXT NOT NULL, written TEXT NOT NULL)"),
    ("INSERT INTO file (measurement_id, path, role, written) "
     "SELECT c.measurement_id, c.value, 'saved', coalesce(m.ended, m.started) "
     "FROM context c JOIN measurement m ON m.id = c.measurement_id WHERE c.key = 'file'"),
    "DELETE FROM context WHERE key = 'file'",
    "CREATE INDEX file_measurement ON file(measurement_id)",
    "CREATE INDEX measurement_started ON measurement(started)",
};

// A lab's server: the bench's own identity, and which measurements changed since a server
// last took them (every new row or update of a measurement, its context or its files moves
// it to the end of the list; points are followed by their keys instead, so the per-point
// write stays as it was). The mirror_ tables are the marks of what each server holds.
constexpr const char* kVersion3[] = {
    "CREATE TABLE bench (id TEXT NOT NULL)",
    ("INSERT INTO bench (id) SELECT substr(h, 1, 8) || '-' || substr(h, 9, 4) || '-' || "
     "substr(h, 13, 4) || '-' || substr(h, 17, 4) || '-' || substr(h, 21) "
     "FROM (SELECT lower(hex(randomblob(16))) AS h)"),
    ("CREATE TABLE mirror_change (measurement_id INTEGER PRIMARY KEY, "
     "seq INTEGER NOT NULL)"),
    "CREATE INDEX mirror_change_seq ON mirror_change(seq)",
    "INSERT INTO mirror_change (measurement_id, seq) SELECT id, id FROM measurement",
    ("CREATE TRIGGER measurement_added AFTER INSERT ON measurement BEGIN "
     "INSERT OR REPLACE INTO mirror_change VALUES (NEW.id, "
     "(SELECT coalesce(max(seq), 0) + 1 FROM mirror_change)); END"),
    ("CREATE TRIGGER measurement_changed AFTER UPDATE ON measurement BEGIN "
     "INSERT OR REPLACE INTO mirror_change VALUES (NEW.id, "
     "(SELECT coalesce(max(seq), 0) + 1 FROM mirror_change)); END"),
    ("CREATE TRIGGER context_added AFTER INSERT ON context BEGIN "
     "INSERT OR REPLACE INTO mirror_change VALUES (NEW.measurement_id, "
     "(SELECT coalesce(max(seq), 0) + 1 FROM mirror_change)); END"),
    ("CREATE TRIGGER context_changed AFTER UPDATE ON context BEGIN "
     "INSERT OR REPLACE INTO mirror_change VALUES (NEW.measurement_id, "
     "(SELECT coalesce(max(seq), 0) + 1 FROM mirror_change)); END"),
    ("CREATE TRIGGER file_added AFTER INSERT ON file BEGIN "
     "INSERT OR REPLACE INTO mirror_change VALUES (NEW.measurement_id, "
     "(SELECT coalesce(max(seq), 0) + 1 FROM mirror_change)); END"),
    ("CREATE TABLE mirror_server (server TEXT PRIMARY KEY, "
     "change_seq INTEGER NOT NULL DEFAULT 0) WITHOUT ROWID"),
    ("CREATE TABLE mirror_segment (server TEXT NOT NULL, measurement_id INTEGER NOT NULL, "
     "segment INTEGER NOT NULL, idx INTEGER NOT NULL, points INTEGER NOT NULL, "
     "PRIMARY KEY (server, measurement_id, segment)) WITHOUT ROWID"),
    ("CREATE TABLE mirror_final (server TEXT NOT NULL, measurement_id INTEGER NOT NULL, "
     "PRIMARY KEY (server, measurement_id)) WITHOUT ROWID"),
};

// I-V points the source's limit clipped: 1 where the reading sat at the compliance.
constexpr const char* kVersion4[] = {
    "ALTER TABLE point ADD COLUMN compliance INTEGER NOT NULL DEFAULT 0",
};

const std::span<const char* const> kSteps[] = {kVersion1, kVersion2, kVersion3, kVersion4};
static_assert(std::size(kSteps) == SchemaMigrations::kCurrentVersion);

bool run(QSqlDatabase& db, const QString& statement, QString* why) {
    QSqlQuery query(db);
    if (query.exec(statement)) {
        return true;
    }
    *why = query.lastError().text();
    return false;
}

std::optional<int> pragmaValue(QSqlDatabase& db, const char* pragma) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(pragma))) || !query.next()) {
        return std::nullopt;
    }
    return query.value(0).toInt();
}

bool applyStep(QSqlDatabase& db, int version, QString* why) {
    if (!db.transaction()) {
        *why = db.lastError().text();
        return false;
    }
    bool done = true;
    for (const char* statement : kSteps[version - 1]) {
        done = done && run(db, QString::fromLatin1(statement), why);
    }
    if (done && version >= 2) {
        QSqlQuery note(db);
        note.prepare(QStringLiteral("INSERT INTO schema_version (version, applied) VALUES (?, ?)"));
        note.addBindValue(version);
        note.addBindValue(QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
        done = note.exec();
        if (!done) {
            *why = note.lastError().text();
        }
    }
    done = done && run(db, QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId), why) &&
           run(db, QStringLiteral("PRAGMA user_version=%1").arg(version), why);
    if (!done) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        *why = db.lastError().text();
        return false;
    }
    return true;
}

}  // namespace

std::optional<int> SchemaMigrations::version(QSqlDatabase& db) {
    const auto application = pragmaValue(db, "application_id");
    const auto userVersion = pragmaValue(db, "user_version");
    if (!application || !userVersion) {
        return std::nullopt;
    }
    if (*application == 0 && *userVersion == 0 && db.tables().isEmpty()) {
        return 0;
    }
    const QStringList tables = db.tables();
    const bool ourTables =
        tables.contains(QStringLiteral("measurement")) && tables.contains(QStringLiteral("point"));
    if (*application != kApplicationId && !(*application == 0 && ourTables)) {
        return std::nullopt;
    }
    if (!tables.contains(QStringLiteral("schema_version"))) {
        return *userVersion;
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT max(version) FROM schema_version")) || !query.next()) {
        return std::nullopt;
    }
    return query.value(0).toInt();
}

bool SchemaMigrations::markAsOurs(QSqlDatabase& db, QString* why) {
    return run(db, QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId), why);
}

bool SchemaMigrations::upgrade(QSqlDatabase& db, int from, QString* why) {
    for (int version = from + 1; version <= kCurrentVersion; ++version) {
        if (!applyStep(db, version, why)) {
            return false;
        }
    }
    return true;
}

}  // namespace tarvix::journal
