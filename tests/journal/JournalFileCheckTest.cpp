// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <functional>
#include <memory>

#include "journal/JournalFileCheck.h"
#include "journal/RecoveryJournal.h"
#include "journal/SchemaMigrations.h"
#include "series/SeriesStore.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::journal {
namespace {

using Kind = JournalFileVerdict::Kind;

void sql(const QString& file, const QStringList& statements) {
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        for (const QString& statement : statements) {
            ASSERT_TRUE(query.exec(statement)) << statement.toStdString();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

void write(const QString& file, const QByteArray& bytes) {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
}

void journalOfOurs(const QString& file) {
    series::SeriesStore store;
    thermo::ThermoRecord record;
    RecoveryJournal journal(store, record);
    journal.openFileAndRecover(file);
}

// Every name, size, inode and content hash under `folder`: what "left as it is" means.
QStringList snapshot(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info {};
        ::lstat(path.toLocal8Bit().constData(), &info);
        QByteArray hash;
        if (QFileInfo(path).isFile()) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly)) {
                hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
            }
        }
        entries << QStringLiteral("%1 %2 %3 %4")
                       .arg(path)
                       .arg(info.st_ino)
                       .arg(info.st_size)
                       .arg(QString::fromLatin1(hash));
    }
    entries.sort();
    return entries;
}

// Whatever lies at the path, looking never changes it; only files of ours are ever usable.
TEST(JournalFileCheck, OnlyADatabaseOfOursIsUsedAndNothingIsTouchedByLooking) {
    const auto newer = [](const QString& file) {
        journalOfOurs(file);
        sql(file, {QStringLiteral("INSERT INTO schema_version VALUES (%1, '')")
                       .arg(SchemaMigrations::kCurrentVersion + 1)});
    };
    struct Case {
        const char* what;
        std::function<void(const QString&)> make;
        const char* name;  // of the database in the scratch folder
        bool named;
        Kind kind;
        const char* reason;
    } cases[] = {
        {"nothing", [](const QString&) {}, "db.sqlite", true, Kind::New, ""},
        {"a named path in a missing folder", [](const QString&) {}, "gone/db.sqlite", true,
         Kind::Refused, "its folder "},
        {"a default path in a missing folder", [](const QString&) {}, "gone/db.sqlite", false,
         Kind::New, ""},
        {"a folder", [](const QString& f) { QDir().mkpath(f); }, "db.sqlite", false, Kind::Refused,
         "it is a folder"},
        {"a pipe", [](const QString& f) { ::mkfifo(f.toLocal8Bit().constData(), 0600); },
         "db.sqlite", false, Kind::Refused, "not a regular file"},
        {"a link to nowhere",
         [](const QString& f) { QFile::link(f + QStringLiteral(".target"), f); }, "db.sqlite",
         false, Kind::Refused, "which does not exist"},
        {"an empty file named", [](const QString& f) { write(f, {}); }, "results.csv", true,
         Kind::Refused, "not a database of this program (an empty file)"},
        // What a SQLite reader leaves where it looked: the program's own place, its own name.
        {"an empty file at the default place", [](const QString& f) { write(f, {}); },
         "tarvix-journal.sqlite", false, Kind::New, ""},
        {"a CSV table", [](const QString& f) { write(f, "voltage,current\r\n1,2e-6\r\n"); },
         "results.csv", false, Kind::Refused, "(not a SQLite database)"},
        {"a SQLite header cut short", [](const QString& f) { write(f, "SQLite form"); },
         "db.sqlite", false, Kind::Refused, "(not a SQLite database)"},
        {"another program's database",
         [](const QString& f) { sql(f, {QStringLiteral("CREATE TABLE notes (text TEXT)")}); },
         "db.sqlite", false, Kind::Refused, "(a SQLite database of another program)"},
        {"our tables under another application id",
         [](const QString& f) {
             sql(f, {QStringLiteral("PRAGMA application_id=7"),
                     QStringLiteral("CREATE TABLE measurement (id INTEGER)"),
                     QStringLiteral("CREATE TABLE point (x REAL)")});
         },
         "db.sqlite", false, Kind::Refused, "(a SQLite database of another program)"},
        {"an empty SQLite database",
         [](const QString& f) { sql(f, {QStringLiteral("PRAGMA journal_mode=WAL")}); }, "db.sqlite",
         false, Kind::Ours, ""},
        {"a journal of ours", journalOfOurs, "db.sqlite", true, Kind::Ours, ""},
        {"an early journal of ours without the application id",
         [](const QString& f) {
             sql(f, {QStringLiteral("CREATE TABLE measurement (id INTEGER)"),
                     QStringLiteral("CREATE TABLE point (x REAL)"),
                     QStringLiteral("PRAGMA user_version=1")});
         },
         "db.sqlite", false, Kind::Ours, ""},
        {"a journal of a newer version", newer, "db.sqlite", false, Kind::Refused,
         "written by a newer version of this program"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        QTemporaryDir scratch;
        const QString path = scratch.filePath(QString::fromLatin1(test.name));
        test.make(path);
        const QStringList before = snapshot(scratch.path());
        const JournalFileVerdict verdict = inspectJournalFile(path, test.named);
        EXPECT_EQ(verdict.kind, test.kind) << verdict.reason.toStdString();
        EXPECT_TRUE(verdict.reason.contains(QString::fromLatin1(test.reason)))
            << verdict.reason.toStdString();
        EXPECT_EQ(verdict.reason.isEmpty(), test.kind != Kind::Refused);
        EXPECT_EQ(snapshot(scratch.path()), before);
    }
}

}  // namespace
}  // namespace tarvix::journal
