// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalDatabase.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include "journal/JournalFileCheck.h"
#include "journal/MeasurementContext.h"
#include "journal/SchemaMigrations.h"

namespace tarvix::journal {

namespace {

// The statement's error; an invalid one when it ran.
QSqlError runChecked(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    return query.exec(statement) ? QSqlError() : query.lastError();
}

QString notJournaled(const QString& text) {
    return text + QStringLiteral(" Measurements are not journaled in this session.");
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
    readOnly_ = false;
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

bool JournalDatabase::openPath(const QString& file, QString* notice, JournalAccess access) {
    closeDatabase();
    path_ = file;
    if (access.readOnly) {
        return openReadOnly(notice);
    }
    const JournalFileVerdict verdict = inspectJournalFile(file, access.named);
    if (verdict.kind == JournalFileVerdict::Kind::Refused) {
        QString text = refusedJournalText(file, verdict.reason);
        text[0] = text[0].toUpper();
        *notice = notJournaled(text + QStringLiteral("; it was left as it is."));
        return false;
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!takeLock(access, notice)) {
        return false;
    }
    QString why;
    Failure failure = Failure::Other;
    if (openFile(&why, &failure)) {
        return true;
    }
    closeDatabase();
    // Only a damaged file of ours is set aside; one another program holds, or one that cannot
    // be opened for any other reason, stays as it is.
    if (failure == Failure::Damaged && verdict.kind == JournalFileVerdict::Kind::Ours) {
        if (const QString aside = setAside(); !aside.isEmpty()) {
            return startAfresh(aside, why, notice);
        }
    }
    lock_.reset();
    *notice = failure == Failure::InUse
                  ? notJournaled(inUseText(path_, why))
                  : QStringLiteral(
                        "The recovery journal %1 cannot be used (%2); measurements "
                        "are not journaled in this session.")
                        .arg(QDir::toNativeSeparators(path_), why);
    return false;
}

// A new journal in place of the damaged one, now kept as `aside`.
bool JournalDatabase::startAfresh(const QString& aside, const QString& why, QString* notice) {
    *notice = QStringLiteral(
                  "The recovery journal %1 could not be read (%2); it was set aside "
                  "as %3 and a new journal started.")
                  .arg(QDir::toNativeSeparators(path_), why, QDir::toNativeSeparators(aside));
    QString again;
    Failure failure = Failure::Other;
    if (!openFile(&again, &failure)) {
        closeDatabase();
        lock_.reset();
        *notice += QStringLiteral(" The new journal cannot be written either (%1).").arg(again);
        return false;
    }
    return true;
}

// The lock the caller took, else one of the journal's own.
bool JournalDatabase::takeLock(JournalAccess& access, QString* notice) {
    lock_ = access.lock ? std::move(access.lock) : std::make_unique<JournalLock>(path_);
    switch (lock_->tryLock()) {
        case JournalLock::State::Held:
            return true;
        case JournalLock::State::InUse:
            *notice = notJournaled(lock_->inUseText());
            break;
        case JournalLock::State::Failed:
            *notice = QStringLiteral(
                          "The recovery journal %1 cannot be used (%2); measurements are not "
                          "journaled in this session.")
                          .arg(QDir::toNativeSeparators(path_), lock_->failureText());
            break;
    }
    lock_.reset();
    return false;
}

bool JournalDatabase::failed(const QSqlError& error, QString* why, Failure* failure) {
    *why = error.databaseText().isEmpty() ? error.text().trimmed() : error.databaseText();
    if (why->isEmpty()) {
        *why = QStringLiteral("SQLite error %1").arg(error.nativeErrorCode());
    }
    *failure = isLockedError(error)   ? Failure::InUse
               : isDamageError(error) ? Failure::Damaged
                                      : Failure::Other;
    return false;
}

bool JournalDatabase::openFile(QString* why, Failure* failure) {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setDatabaseName(path_);
    if (!db_.open()) {
        return failed(db_.lastError(), why, failure);
    }
    QSqlQuery tables(db_);
    if (!tables.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !tables.next()) {
        return failed(tables.lastError(), why, failure);
    }
    const bool empty = tables.value(0).toInt() == 0;
    tables.finish();
    // A new file carries our mark in its first write: a program killed at once still leaves a
    // file the next start knows as its own.
    if (empty && !SchemaMigrations::markAsOurs(db_, why)) {
        *failure = Failure::Other;
        return false;
    }
    // WAL keeps every committed row through a crash; NORMAL leaves the fsync to sync().
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"}) {
        if (const QSqlError error = runChecked(db_, QString::fromLatin1(pragma)); error.isValid()) {
            return failed(error, why, failure);
        }
    }
    // Another program in a transaction (sqlite3's BEGIN EXCLUSIVE) holds the file: in use.
    if (const QSqlError error = writeLockError(db_); error.isValid()) {
        return failed(error, why, failure);
    }
    if (!schemaUsable(why, failure)) {
        return false;
    }
    writes_.start(db_, path_);
    open_ = true;
    return true;
}

// History alone: another program measures into the file, this one only reads it.
bool JournalDatabase::openReadOnly(QString* notice) {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    db_.setDatabaseName(path_);
    QSqlError error;
    if (!db_.open()) {
        error = db_.lastError();
    } else {
        error = runChecked(db_, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    }
    if (error.isValid()) {
        *notice = QStringLiteral("The database %1 cannot be read (%2).")
                      .arg(QDir::toNativeSeparators(path_), error.text().trimmed());
        closeDatabase();
        return false;
    }
    readOnly_ = true;
    return true;
}

bool JournalDatabase::schemaUsable(QString* why, Failure* failure) {
    QSqlQuery check(db_);
    if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next()) {
        return failed(check.lastError(), why, failure);
    }
    if (const QString result = check.value(0).toString(); result != QStringLiteral("ok")) {
        *why = QStringLiteral("damaged: %1").arg(result);
        *failure = Failure::Damaged;
        return false;
    }
    check.finish();
    *failure = Failure::Other;
    const auto version = SchemaMigrations::version(db_);
    if (!version) {
        *why = QStringLiteral("its tables cannot be read");
        *failure = Failure::Damaged;
        return false;
    }
    if (*version > SchemaMigrations::kCurrentVersion) {
        *why = QStringLiteral("it was written by a newer version of this program");
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
