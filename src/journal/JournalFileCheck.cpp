// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalFileCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>
#include <QtEndian>
#include <optional>

#include "journal/SchemaMigrations.h"

namespace tarvix::journal {

namespace {

using Kind = JournalFileVerdict::Kind;

constexpr char kMagic[] = "SQLite format 3";  // with its terminating zero, the first 16 bytes
constexpr qsizetype kHeaderSize = 100;
constexpr qsizetype kApplicationIdOffset = 68;

// SQLite's primary result codes.
constexpr int kBusy = 5;
constexpr int kLocked = 6;
constexpr int kCorrupt = 11;
constexpr int kNotADatabase = 26;

int sqliteCode(const QSqlError& error) {
    return error.nativeErrorCode().toInt() & 0xff;
}

JournalFileVerdict refused(const QString& reason) {
    return {Kind::Refused, reason};
}

QString notOurs(const QString& what) {
    return QStringLiteral("it is not a database of this program (%1)").arg(what);
}

// A path that names no file yet: usable when its folder is there (or may be made).
JournalFileVerdict inspectMissing(const QFileInfo& info, bool named) {
    if (info.isSymLink()) {
        return refused(QStringLiteral("it is a link to %1, which does not exist")
                           .arg(QDir::toNativeSeparators(info.symLinkTarget())));
    }
    const QFileInfo folder(info.absolutePath());
    if (folder.isDir() || (!named && !folder.exists())) {
        return {Kind::New, {}};
    }
    if (folder.exists()) {
        return refused(QStringLiteral("%1 is not a folder")
                           .arg(QDir::toNativeSeparators(folder.absoluteFilePath())));
    }
    return refused(QStringLiteral("its folder %1 does not exist")
                       .arg(QDir::toNativeSeparators(folder.absoluteFilePath())));
}

// The file as SQLite reads it, read-only. Without a log to replay nothing is locked and no
// companion file is made; with one SQLite must read it (a program killed before its log
// reached the file), as any reader does.
class ReadOnlyLook {
  public:
    explicit ReadOnlyLook(const QString& path)
        : name_(QStringLiteral("inspect-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
        const bool logWaiting = QFileInfo(path + QStringLiteral("-wal")).size() > 0;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1")
                .arg(kInUseWaitMs));
        db.setDatabaseName(
            QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
            (logWaiting ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=ro&immutable=1")));
        if (!db.open()) {
            error_ = db.lastError();
            return;
        }
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            error_ = probe.lastError();
            return;
        }
        probe.finish();
        version_ = SchemaMigrations::version(db);
    }
    ~ReadOnlyLook() { QSqlDatabase::removeDatabase(name_); }
    ReadOnlyLook(const ReadOnlyLook&) = delete;
    ReadOnlyLook& operator=(const ReadOnlyLook&) = delete;

    bool readable() const { return !error_.isValid(); }
    const QSqlError& error() const { return error_; }
    // Our schema version; nullopt when the file is another program's.
    std::optional<int> version() const { return version_; }

  private:
    QString name_;
    QSqlError error_;
    std::optional<int> version_;
};

JournalFileVerdict inspectSqlite(const QString& path, bool markedOurs) {
    const ReadOnlyLook look(path);
    if (!look.readable()) {
        // Marked as ours, its damage or its lock is judged when it is opened.
        if (markedOurs) {
            return {Kind::Ours, {}};
        }
        return refused(isLockedError(look.error())
                           ? QStringLiteral("it cannot be read now (%1)").arg(look.error().text())
                           : notOurs(QStringLiteral("a damaged SQLite file")));
    }
    const std::optional<int> version = look.version();
    if (!version) {
        return markedOurs
                   ? JournalFileVerdict{Kind::Ours, {}}
                   : refused(notOurs(QStringLiteral("a SQLite database of another program")));
    }
    if (*version > SchemaMigrations::kCurrentVersion) {
        return refused(QStringLiteral("it was written by a newer version of this program "
                                      "(database version %1, this one knows up to %2)")
                           .arg(*version)
                           .arg(SchemaMigrations::kCurrentVersion));
    }
    return {Kind::Ours, {}};
}

}  // namespace

JournalFileVerdict inspectJournalFile(const QString& path, bool named) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return inspectMissing(info, named);
    }
    if (info.isDir()) {
        return refused(QStringLiteral("it is a folder"));
    }
    if (!info.isFile()) {
        return refused(QStringLiteral("it is not a regular file (a device, a pipe or a socket)"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return refused(QStringLiteral("it cannot be read (%1)").arg(file.errorString()));
    }
    const QByteArray header = file.read(kHeaderSize);
    file.close();
    if (header.isEmpty()) {
        return named ? refused(notOurs(QStringLiteral("an empty file")))
                     : JournalFileVerdict{Kind::New, {}};
    }
    if (!header.startsWith(QByteArray(kMagic, sizeof kMagic))) {
        return refused(notOurs(QStringLiteral("not a SQLite database")));
    }
    const bool markedOurs = header.size() == kHeaderSize &&
                            qFromBigEndian<qint32>(header.constData() + kApplicationIdOffset) ==
                                SchemaMigrations::kApplicationId;
    return inspectSqlite(path, markedOurs);
}

QString refusedJournalText(const QString& path, const QString& reason) {
    return QStringLiteral("cannot use %1 as the database: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString inUseText(const QString& path, const QString& why) {
    return QStringLiteral("The database %1 is in use by another program (%2).")
        .arg(QDir::toNativeSeparators(path), why);
}

bool isLockedError(const QSqlError& error) {
    const int code = sqliteCode(error);
    return code == kBusy || code == kLocked;
}

bool isDamageError(const QSqlError& error) {
    const int code = sqliteCode(error);
    return code == kCorrupt || code == kNotADatabase;
}

QSqlError writeLockError(QSqlDatabase& db) {
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA busy_timeout=%1").arg(kInUseWaitMs));
    QSqlError error;
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        query.exec(QStringLiteral("ROLLBACK"));
    } else {
        error = query.lastError();
    }
    query.exec(QStringLiteral("PRAGMA busy_timeout=5000"));  // Qt's driver's own wait
    return error;
}

QString lockedByAnotherProgram(const QString& path) {
    const QString name =
        QStringLiteral("in-use-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        // rw: the question never makes a file that is not there.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                           QStringLiteral("?mode=rw"));
        if (db.open()) {
            const QSqlError error = writeLockError(db);
            if (isLockedError(error)) {
                problem = error.databaseText();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}

}  // namespace tarvix::journal
