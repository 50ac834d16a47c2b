#include "journal/JournalDatabase.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <array>
#include <optional>

namespace tarvix::journal {

namespace {

// Marks the file as ours, so a foreign SQLite file in its place is set aside, not written.
constexpr int kApplicationId = 0x54727678;  // "Trvx"
constexpr int kSchemaVersion = 1;
constexpr int kSyncIntervalMs = 1000;

constexpr std::array<const char*, 5> kSchema = {
    "CREATE TABLE measurement (id INTEGER PRIMARY KEY, kind TEXT NOT NULL, "
    "started TEXT NOT NULL, ended TEXT, state TEXT NOT NULL DEFAULT 'unsaved', "
    "slot INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE segment (measurement_id INTEGER NOT NULL REFERENCES measurement(id), "
    "segment INTEGER NOT NULL, label TEXT NOT NULL DEFAULT '', "
    "PRIMARY KEY (measurement_id, segment)) WITHOUT ROWID",
    "CREATE TABLE point (measurement_id INTEGER NOT NULL REFERENCES measurement(id), "
    "segment INTEGER NOT NULL, idx INTEGER NOT NULL, x REAL, y REAL, z REAL, w REAL, t REAL, "
    "PRIMARY KEY (measurement_id, segment, idx)) WITHOUT ROWID",
    "CREATE TABLE context (measurement_id INTEGER NOT NULL REFERENCES measurement(id), "
    "key TEXT NOT NULL, value TEXT, PRIMARY KEY (measurement_id, key)) WITHOUT ROWID",
    "CREATE INDEX measurement_state ON measurement(state)",
};

bool run(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    return query.exec(statement);
}

std::optional<int> pragmaValue(QSqlDatabase& db, const char* pragma) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(pragma))) || !query.next()) {
        return std::nullopt;
    }
    return query.value(0).toInt();
}

}  // namespace

JournalDatabase::JournalDatabase()
    : connection_(QStringLiteral("journal-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    syncTimer_.setSingleShot(true);
    QObject::connect(&syncTimer_, &QTimer::timeout, [this] { sync(); });
}

JournalDatabase::~JournalDatabase() {
    if (open_) {
        sync();
    }
    closeDatabase();
}

void JournalDatabase::closeDatabase() {
    open_ = false;
    syncTimer_.stop();
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool JournalDatabase::open(const QString& folder, QString* notice) {
    path_ = QDir(folder).filePath(QString::fromLatin1(kFileName));
    QString why;
    if (openFile(&why)) {
        return true;
    }
    closeDatabase();
    const QString asidePath = setAside();
    if (asidePath.isEmpty()) {
        *notice = QStringLiteral(
                      "The recovery journal %1 cannot be used (%2); measurements "
                      "are not journaled in this session.")
                      .arg(QDir::toNativeSeparators(path_), why);
        return false;
    }
    *notice = QStringLiteral(
                  "The recovery journal %1 could not be read (%2); it was set aside "
                  "as %3 and a new journal started.")
                  .arg(QDir::toNativeSeparators(path_), why, QDir::toNativeSeparators(asidePath));
    QString again;
    if (!openFile(&again)) {
        closeDatabase();
        *notice += QStringLiteral(" The new journal cannot be written either (%1).").arg(again);
        return false;
    }
    return true;
}

bool JournalDatabase::openFile(QString* why) {
    if (QFileInfo(path_).isDir()) {
        *why = QStringLiteral("a folder has its name");
        return false;
    }
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setDatabaseName(path_);
    if (!db_.open()) {
        *why = db_.lastError().text();
        return false;
    }
    // WAL keeps every committed row through a crash; NORMAL leaves the fsync to sync().
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"}) {
        if (!run(db_, QString::fromLatin1(pragma))) {
            *why = db_.lastError().text();
            return false;
        }
    }
    if (!schemaUsable(why)) {
        return false;
    }
    open_ = true;
    sinceSync_.start();
    return true;
}

bool JournalDatabase::schemaUsable(QString* why) {
    QSqlQuery check(db_);
    if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next() ||
        check.value(0).toString() != QStringLiteral("ok")) {
        *why = QStringLiteral("damaged");
        return false;
    }
    check.finish();
    const auto application = pragmaValue(db_, "application_id");
    const auto version = pragmaValue(db_, "user_version");
    if (!application || !version) {
        *why = QStringLiteral("damaged");
        return false;
    }
    if (*application == 0 && *version == 0 && db_.tables().isEmpty()) {
        if (!createSchema()) {
            *why = db_.lastError().text();
            return false;
        }
        return true;
    }
    if (*application != kApplicationId || *version != kSchemaVersion) {
        *why = QStringLiteral("not a journal of this program");
        return false;
    }
    return true;
}

bool JournalDatabase::createSchema() {
    if (!db_.transaction()) {
        return false;
    }
    for (const char* statement : kSchema) {
        if (!run(db_, QString::fromLatin1(statement))) {
            db_.rollback();
            return false;
        }
    }
    if (!run(db_, QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId)) ||
        !run(db_, QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion))) {
        db_.rollback();
        return false;
    }
    return db_.commit();
}

// The unusable file (with its log) keeps its contents under a dated name beside it.
QString JournalDatabase::setAside() {
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    const QString aside = path_ + QStringLiteral(".unreadable-") + stamp;
    if (QFileInfo::exists(path_) && !QDir().rename(path_, aside)) {
        return {};
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString companion = path_ + QLatin1String(suffix);
        if (QFileInfo::exists(companion)) {
            QDir().rename(companion, aside + QLatin1String(suffix));
        }
    }
    return aside;
}

void JournalDatabase::written() {
    if (!open_) {
        return;
    }
    unsynced_ = true;
    const qint64 elapsed = sinceSync_.elapsed();
    if (elapsed >= kSyncIntervalMs) {
        sync();
    } else if (!syncTimer_.isActive()) {
        syncTimer_.start(static_cast<int>(kSyncIntervalMs - elapsed));
    }
}

// A checkpoint syncs the log and then the database file: everything written is on disk.
void JournalDatabase::sync() {
    syncTimer_.stop();
    sinceSync_.restart();
    if (!open_ || !unsynced_) {
        return;
    }
    unsynced_ = false;
    run(db_, QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
}

}  // namespace tarvix::journal
