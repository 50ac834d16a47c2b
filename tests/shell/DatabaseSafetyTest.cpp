// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>

#include "journal/RecoveryJournal.h"
#include "shell/ButtonRefusals.h"
#include "shell/DatabaseClaim.h"
#include "shell/SeriesFilesFixture.h"

namespace {

using namespace tarvix;

QString program() {
    return QStringLiteral(TARVIX_BINARY_DIR "/tarvix");
}

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

// The real program on the simulated bench with a recipe, its settings in `configDir`.
void start(QProcess& process, const QString& configDir, const QString& recipe,
           const QStringList& extra = {}) {
    static int count = 0;
    const QString file = QDir::temp().filePath(QStringLiteral("tarvix-safety-%1-%2.txt")
                                                   .arg(QCoreApplication::applicationPid())
                                                   .arg(++count));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(recipe.toUtf8());
    out.close();
    process.start(program(), QStringList{"--bus", "sim:noise=0,latency=1", "--script", file,
                                         "--config-dir", configDir, "-platform", "offscreen"} +
                                 extra);
    ASSERT_TRUE(process.waitForStarted());
}

Outcome finish(QProcess& process) {
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

Outcome run(const QString& configDir, const QString& recipe, const QStringList& extra = {}) {
    QProcess process;
    start(process, configDir, recipe, extra);
    return finish(process);
}

// Every name, inode and content under `folder`: what "left as it is" means.
QStringList snapshot(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info {};
        ::lstat(path.toLocal8Bit().constData(), &info);
        QByteArray bytes;
        if (S_ISREG(info.st_mode)) {
            QFile file(path);
            bytes = file.open(QIODevice::ReadOnly) ? file.readAll().toHex() : "unreadable";
        }
        entries << QStringLiteral("%1 %2 %3 %4")
                       .arg(path)
                       .arg(info.st_ino)
                       .arg(info.st_mode)
                       .arg(QString::fromLatin1(bytes));
    }
    entries.sort();
    return entries;
}

int sqliteCount(const QString& file, const QString& select) {
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "probe");
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(select) && query.next()) {
                count = query.value(0).toInt();
            }
        }
    }
    QSqlDatabase::removeDatabase("probe");
    return count;
}

class DatabaseSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!QFile::exists(program())) {
            GTEST_SKIP() << "the program is not built";
        }
        ASSERT_TRUE(scratch.isValid());
    }
    QString journal() const { return scratch.filePath(QStringLiteral("tarvix-journal.sqlite")); }

    QTemporaryDir scratch;
};

// Whatever --database names that is not a database of this program ends the start with the
// path and the reason, before anything at all is written: not the file, not a lock beside it,
// not even the missing configuration folder.
TEST_F(DatabaseSafety, ANameThatIsNotOurDatabaseEndsTheStartAndTouchesNothing) {
    const auto file = [](const QByteArray& bytes) {
        return [bytes](const QString& path) {
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        };
    };
    // As root a device node of our own (the null device's numbers), never the system's.
    const bool root = ::geteuid() == 0;
    struct Case {
        const char* what;
        const char* name;
        std::function<void(const QString&)> make;
        QString reason;
    } cases[] = {
        {"a results table", "results.csv", file("voltage,current\r\n1,2e-6\r\n"),
         "it is not a database of this program (not a SQLite database)"},
        {"a series file", "run.ktl", file("Comments\r\n07.12.2026\r\n12:00:00\r\n   \r\n"),
         "it is not a database of this program (not a SQLite database)"},
        {"an empty file of someone else's", "notes.txt", file({}),
         "it is not a database of this program (an empty file)"},
        {"a folder", "data", [](const QString& path) { QDir().mkpath(path); }, "it is a folder"},
        {root ? "a device node" : "a named pipe", "null",
         [root](const QString& path) {
             const QByteArray name = path.toLocal8Bit();
             ASSERT_EQ(root ? ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3))
                            : ::mkfifo(name.constData(), 0666),
                       0);
         },
         "it is not a regular file (a device, a pipe or a socket)"},
        {"a path in a missing folder", "gone/lab.sqlite", [](const QString&) {},
         "its folder %1 does not exist"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromLatin1(test.name));
        test.make(path);
        const QStringList before = snapshot(dir.path());
        const Outcome outcome = run(dir.filePath(QStringLiteral("config")),
                                    QStringLiteral("print window\n"), {"--database", path});
        EXPECT_EQ(outcome.status, 2);
        const QString reason = test.reason.contains(QStringLiteral("%1"))
                                   ? test.reason.arg(dir.filePath(QStringLiteral("gone")))
                                   : test.reason;
        // Qt may add its own complaints (no runtime folder); ours is the one line.
        EXPECT_TRUE(outcome.err.contains(
            QStringLiteral("tarvix: cannot use %1 as the database: %2\n").arg(path, reason)))
            << outcome.err.toStdString();
        EXPECT_EQ(outcome.out, QString());
        EXPECT_EQ(snapshot(dir.path()), before);
    }
}

// A damaged file of ours is the one thing ever set aside, and its message says why.
TEST_F(DatabaseSafety, ADamagedDatabaseOfOursIsSetAsideWithItsReason) {
    const QString file = scratch.filePath(QStringLiteral("lab.sqlite"));
    const QString config = scratch.filePath(QStringLiteral("config"));
    ASSERT_EQ(
        run(config, QStringLiteral("set Edit41 10\nclick Button1\n"), {"--database", file}).status,
        0);
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    const qint64 size = damaged.size();
    damaged.seek(100);
    damaged.write(QByteArray(size - 100, '\xff'));
    damaged.close();

    const Outcome outcome =
        run(config, QStringLiteral("print StatusDatabase\n"), {"--database", file});
    EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
    static const QRegularExpression setAside(QStringLiteral(
        "message: The recovery journal (.*) could not be read \\((.+)\\); it was set aside as "
        "(.*\\.unreadable-[0-9-]+) and a new journal started\\.\n"));
    const auto match = setAside.match(outcome.out);
    ASSERT_TRUE(match.hasMatch()) << outcome.out.toStdString();
    EXPECT_EQ(match.captured(1), file);
    EXPECT_NE(match.captured(2).trimmed(), QString());
    EXPECT_EQ(QFileInfo(match.captured(3)).size(), size);
    EXPECT_TRUE(outcome.out.contains(QStringLiteral("StatusDatabase: Database: %1\n").arg(file)));
}

// Points of the first program's journal, read as any other program would.
int journaledPoints(const QString& file) {
    return sqliteCount(file, QStringLiteral("SELECT count(*) FROM point"));
}

int savedPoints(const QString& ktl) {
    QFile in(ktl);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << ktl.toStdString();
    static const QRegularExpression point(
        QStringLiteral("^[ -]\\d\\.\\d{14}E[+-]\\d{4}   [ -]\\d\\.\\d{14}E[+-]\\d{4}$"));
    int count = 0;
    for (const QByteArray& line : in.readAll().split('\n')) {
        count += point.match(QString::fromLatin1(line).remove(QLatin1Char('\r'))).hasMatch();
    }
    return count;
}

// One program per journal: a second start on the same folder is told which process holds
// it and, in a recipe, ends; once the first is killed mid-sweep its lock is stale, and the
// next start takes it over and brings back every point the first journaled.
TEST_F(DatabaseSafety, ASecondProgramIsRefusedAndTheLockOfAKilledOneIsTakenOver) {
    QProcess first;
    start(first, scratch.path(),
          QStringLiteral("set Edit41 150\nset Edit61 2\nclick Button1\n"
                         "wait 60000\n"));
    QElapsedTimer waited;
    waited.start();
    while (journaledPoints(journal()) < 5 && waited.elapsed() < 60000) {
        QThread::msleep(50);
    }
    ASSERT_GE(journaledPoints(journal()), 5);

    const Outcome second = run(scratch.path(), QStringLiteral("print window\n"));
    EXPECT_EQ(second.status, 2);
    EXPECT_TRUE(second.err.contains(QStringLiteral("tarvix: The database %1 is in use by another "
                                                   "Tarvix (process %2).\n")
                                        .arg(journal())
                                        .arg(first.processId())))
        << second.err.toStdString();

    ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
    ASSERT_TRUE(first.waitForFinished(10000));
    ASSERT_TRUE(QFile::exists(journal() + QStringLiteral(".lock")));  // stale, left by the kill
    const int points = journaledPoints(journal());

    const QString ktl = scratch.filePath(QStringLiteral("recovered.ktl"));
    const Outcome third =
        run(scratch.path(), QStringLiteral("answer %1\nclick Button5\n").arg(ktl));
    EXPECT_EQ(third.status, 0) << third.err.toStdString();
    EXPECT_TRUE(third.out.contains(QStringLiteral("message: Recovered ")))
        << third.out.toStdString();
    EXPECT_EQ(savedPoints(ktl), points);
    EXPECT_FALSE(QFile::exists(journal() + QStringLiteral(".lock")));  // let go at the close
}

// A journal another program holds in a transaction is in use, not unreadable: the start ends
// and the file keeps its name and its identity.
TEST_F(DatabaseSafety, AJournalHeldBySqliteIsInUseAndKeepsItsName) {
    ASSERT_EQ(run(scratch.path(), QStringLiteral("set Edit41 10\nclick Button1\n")).status, 0);
    const QString bench = QStringLiteral("SELECT count(*) FROM bench");
    ASSERT_EQ(sqliteCount(journal(), bench), 1);
    struct stat before {};
    ASSERT_EQ(::stat(journal().toLocal8Bit().constData(), &before), 0);

    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"), {journal()});
    if (!sqlite.waitForStarted()) {
        GTEST_SKIP() << "sqlite3 is not installed";
    }
    sqlite.write("BEGIN EXCLUSIVE;\nSELECT 'held';\n");
    QElapsedTimer waited;
    waited.start();
    while (!sqlite.readAllStandardOutput().contains("held") && waited.elapsed() < 10000) {
        sqlite.waitForReadyRead(100);
    }

    const Outcome outcome = run(scratch.path(), QStringLiteral("print window\n"));
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("tarvix: The database %1 is in use by "
                                                    "another program (database is locked).\n")
                                         .arg(journal())))
        << outcome.err.toStdString();
    sqlite.write("ROLLBACK;\n.quit\n");
    sqlite.closeWriteChannel();
    ASSERT_TRUE(sqlite.waitForFinished(10000));

    struct stat after {};
    ASSERT_EQ(::stat(journal().toLocal8Bit().constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(QDir(scratch.path()).entryList({QStringLiteral("*.unreadable-*")}).isEmpty());
    EXPECT_EQ(run(scratch.path(), QStringLiteral("print window\n")).status, 0);
}

}  // namespace

namespace tarvix::shell::testing {
namespace {

// A window opened on a database another program holds reads it and measures nothing: its
// History lists what the other measured, while every start on the bus is refused.
class ReadOnlyWindow : public SeriesFilesFixture {};

TEST_F(ReadOnlyWindow, ShowsTheHistoryAndMeasuresNothing) {
    sweep();
    const QString file = form->journal().database().path();
    QString question;
    QString message;
    const auto refuse = holdDatabase(
        file, [&](const QString& text) { return question = text, false; }, &message);
    EXPECT_FALSE(refuse);
    const QString inUse =
        QStringLiteral("The database %1 is in use by another Tarvix (process %2).")
            .arg(file)
            .arg(QCoreApplication::applicationPid());
    EXPECT_EQ(question, inUse);
    EXPECT_EQ(message, inUse);
    auto hold = holdDatabase(
        file, [](const QString&) { return true; }, &message);
    ASSERT_TRUE(hold);
    ASSERT_TRUE(hold->readOnly);
    EXPECT_FALSE(hold->lock);

    ScriptedUiServices secondUi;
    secondUi.setEcho(false);
    TForm1 second(*gpib, secondUi, FormOptions{configDir.path(), {}, nullptr, true});
    EXPECT_EQ(second.findChild<QLabel*>(QStringLiteral("StatusDatabase"))->text(),
              QStringLiteral("Database: %1 (read-only)").arg(file));
    EXPECT_EQ(second.store().seriesCount, 0);  // the other's unsaved runs stay the other's
    for (const char* button : {"Button1", "Button27", "Button32", "Button35"}) {
        EXPECT_FALSE(second.controls().widget(QString::fromLatin1(button))->isEnabled()) << button;
    }
    EXPECT_EQ(second.refusals().reason(QStringLiteral("Button1"), QStringLiteral("Start")),
              ButtonRefusals::readOnlyReason(QStringLiteral("Start")));
    EXPECT_FALSE(second.acquireBus(QStringLiteral("Start")));
    EXPECT_EQ(secondUi.messages(), QStringList{ButtonRefusals::readOnlyReason("Start")});
    second.findChild<QAction*>(QStringLiteral("HistoryMenuItem"))->trigger();
    EXPECT_EQ(
        qobject_cast<QListWidget*>(second.controls().find(QStringLiteral("HistoryList")))->count(),
        1);
    second.close();
    // The first window journals on, its lock untouched by the reader.
    sweep();
    EXPECT_TRUE(form->journal().database().isOpen());
}

}  // namespace
}  // namespace tarvix::shell::testing
