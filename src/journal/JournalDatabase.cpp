#include "journal/JournalDatabase.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include "journal/MeasurementContext.h"
#include "journal/SchemaMigrations.h"

namespace tarvix::journal {

namespace {

bool run(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    return query.exec(statement);
}

}  // namespace

JournalDatabase::JournalDatabase()
    : connection_(QStringLiteral("journal-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
}

JournalDatabase::~JournalDatabase() {
    if (open_) {
        sync();
    }
    closeDatabase();
}

void JournalDatabase::closeDatabase() {
    open_ = false;
    writes_.stop();
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool JournalDatabase::open(const QString& folder, QString* notice) {
    return openPath(QDir(folder).filePath(QString::fromLatin1(kFileName)), notice);
}

bool JournalDatabase::openPath(const QString& file, QString* notice) {
    path_ = file;
    QDir().mkpath(QFileInfo(file).absolutePath());
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
    writes_.start(db_, path_);
    open_ = true;
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
    const auto version = SchemaMigrations::version(db_);
    if (!version || *version > SchemaMigrations::kCurrentVersion) {
        *why = QStringLiteral("not a journal of this program");
        return false;
    }
    return SchemaMigrations::upgrade(db_, *version, why);
}

// The unusable file (with its log) keeps its contents under a dated name beside it.
QString JournalDatabase::setAside() {
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    const QString aside = path_ + QStringLiteral(".unreadable-") + stamp;
    // Nothing to set aside (a folder that cannot be written): there is no journal to keep.
    if (!QFileInfo::exists(path_) || !QDir().rename(path_, aside)) {
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

void JournalDatabase::describe(qint64 id, const QString& kind) {
    if (open_ && id > 0 && describer_) {
        writes_.write(contextStatements(id, describer_(kind)));
    }
}

}  // namespace tarvix::journal
