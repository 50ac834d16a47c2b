// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "journal/RecoveryJournal.h"
#include "series/SeriesStore.h"
#include "support/SmallDisk.h"
#include "text/ClockText.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::journal {
namespace {

using series::SeriesStore;

// One program session on a journal folder; ending it without settling is a crash.
struct Session {
    explicit Session(const QString& folder)
        : store(std::make_unique<SeriesStore>()),
          record(std::make_unique<thermo::ThermoRecord>()),
          journal(std::make_unique<RecoveryJournal>(*store, *record)) {
        messages = journal->openAndRecover(folder);
    }
    // A committed repetition of `segments` segments of `points` points each.
    void sweep(int segments, int points) {
        for (int segment = 1; segment <= segments; ++segment) {
            store->liveLabel(segment) = QStringLiteral("12:00:0%1").arg(segment);
            for (int p = 1; p <= points; ++p) {
                store->setLivePoint(segment, p, 0.001 * p, 1e-6 * p);
            }
            store->endLiveSegment(segment);
        }
        store->commitLive(++store->seriesCount);
        store->clearLive();
    }
    const JournalWriteState& state() { return journal->database().writes().state(); }

    std::unique_ptr<SeriesStore> store;
    std::unique_ptr<thermo::ThermoRecord> record;
    std::unique_ptr<RecoveryJournal> journal;
    QStringList messages;
};

// The journal file as another program reads it.
class Reader {
  public:
    explicit Reader(const QString& folder) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        db_.setDatabaseName(QDir(folder).filePath(QString::fromLatin1(JournalDatabase::kFileName)));
        db_.open();
    }
    ~Reader() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    }
    QString value(const QString& sql) {
        QSqlQuery query(db_);
        return query.exec(sql) && query.next() ? query.value(0).toString() : QStringLiteral("?");
    }
    void run(const QString& sql) { EXPECT_TRUE(QSqlQuery(db_).exec(sql)) << sql.toStdString(); }

  private:
    QSqlDatabase db_;
};

// What keeps the journal's file from taking writes for a while.
class Cause {
  public:
    virtual ~Cause() = default;
    virtual QString reason() const = 0;
    virtual QString folder() const = 0;
    virtual bool ready(QString* why) const = 0;
    virtual void block() = 0;
    virtual void unblock() = 0;
};

// The disk fills up. A megabyte: room for the journal, and for the catch-up's log beside it.
class FullDisk : public Cause {
  public:
    QString reason() const override { return QStringLiteral("disk full"); }
    QString folder() const override { return disk_.path(); }
    bool ready(QString* why) const override {
        *why = disk_.why();
        return disk_.ready();
    }
    void block() override { disk_.fill(); }
    void unblock() override { disk_.free(); }

  private:
    testing::SmallDisk disk_{"1m"};
};

// Another program holds the file in an exclusive transaction.
class OtherProgramsLock : public Cause {
  public:
    QString reason() const override { return QStringLiteral("in use by another program"); }
    QString folder() const override { return folder_.path(); }
    bool ready(QString* why) const override {
        *why = QStringLiteral("sqlite3 is not installed");
        return !QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty();
    }
    void block() override {
        sqlite_.start(
            QStringLiteral("sqlite3"),
            {QDir(folder_.path()).filePath(QString::fromLatin1(JournalDatabase::kFileName))});
        ASSERT_TRUE(sqlite_.waitForStarted());
        say("BEGIN EXCLUSIVE; SELECT 'locked';\n", "locked");
    }
    void unblock() override {
        say("COMMIT; SELECT 'free';\n", "free");
        sqlite_.closeWriteChannel();
        sqlite_.waitForFinished();
    }

  private:
    void say(const char* line, const char* answer) {
        sqlite_.write(line);
        QByteArray heard;
        while (!heard.contains(answer) && sqlite_.waitForReadyRead(10000)) {
            heard += sqlite_.readAllStandardOutput();
        }
        ASSERT_TRUE(heard.contains(answer)) << sqlite_.readAllStandardError().toStdString();
    }

    QTemporaryDir folder_;
    QProcess sqlite_;
};

struct CauseCase {
    const char* name;
    std::function<std::unique_ptr<Cause>()> make;
};

class HeldWrites : public ::testing::TestWithParam<CauseCase> {};

// Points, a "saved" mark and a new run made while the file takes nothing are held in memory
// in order, and written, all of them, once it takes them again.
TEST_P(HeldWrites, AreAllWrittenOnceTheFileTakesThemAgain) {
    const std::unique_ptr<Cause> cause = GetParam().make();
    QString why;
    if (!cause->ready(&why)) {
        GTEST_SKIP() << why.toStdString();
    }
    // More than the log's own room takes while the disk is full.
    constexpr int kSegments = 8;
    constexpr int kPoints = 1000;
    {
        Session session(cause->folder());
        session.sweep(1, 40);
        ASSERT_TRUE(session.state().writing);

        cause->block();
        session.sweep(kSegments, kPoints);
        session.journal->series().settleAll(Settlement::Saved, QStringLiteral("a.ktl"));
        session.store->liveLabel(1) = QStringLiteral("12:30:00");
        for (int p = 1; p <= 20; ++p) {
            session.store->setLivePoint(1, p, 0.1 * p, 1e-6 * p);
        }
        session.journal->database().sync();
        const JournalWriteState held = session.state();
        EXPECT_FALSE(held.writing);
        EXPECT_EQ(held.reason, cause->reason()) << held.detail.toStdString();
        EXPECT_GT(held.pointsHeld, 0);
        EXPECT_LE(held.pointsHeld, kSegments * kPoints + 20);

        // The cause is still there: the retry's checkpoint may free room in the log for some
        // of the held points, never for all of them.
        session.journal->database().writes().retry();
        EXPECT_FALSE(session.state().writing);
        EXPECT_GT(session.state().pointsHeld, 0);
        EXPECT_LE(session.state().pointsHeld, held.pointsHeld);

        cause->unblock();
        session.journal->database().writes().retry();
        EXPECT_TRUE(session.state().writing) << session.state().detail.toStdString();
        EXPECT_EQ(session.state().pointsHeld, 0);
        // Written by the retry, before the session ends.
        Reader reader(cause->folder());
        EXPECT_EQ(reader.value("SELECT group_concat(state || ':' || n, ' ') FROM (SELECT "
                               "m.state, count(p.idx) AS n FROM measurement m LEFT JOIN point p "
                               "ON p.measurement_id = m.id GROUP BY m.id ORDER BY m.id)"),
                  QStringLiteral("saved:40 saved:%1 unsaved:20").arg(kSegments * kPoints));
        EXPECT_EQ(reader.value("SELECT count(*) FROM file WHERE path = 'a.ktl'"), "2");
    }
    Session next(cause->folder());
    ASSERT_EQ(next.messages.size(), 1);
    EXPECT_TRUE(next.messages.front().startsWith(QStringLiteral("Recovered 1 unsaved series")));
    EXPECT_EQ(next.store->storedCount(1, 1), 20);
}

INSTANTIATE_TEST_SUITE_P(
    Journal, HeldWrites,
    ::testing::Values(CauseCase{"FullDisk", [] { return std::make_unique<FullDisk>(); }},
                      CauseCase{"OtherProgramsLock",
                                [] { return std::make_unique<OtherProgramsLock>(); }}),
    [](const auto& info) { return std::string(info.param.name); });

// The recovery message spans the moments of the first and the last point, not the moment the
// run's row was made twice.
TEST(Journal, TheRecoveryMessageSpansTheFirstToTheLastPoint) {
    struct Case {
        const char* name;
        bool thermo;
        const char* started;
        QTime lastPoint;
        QDateTime first;
        QDateTime last;
    };
    const QDate day(2026, 12, 7);
    const Case cases[] = {
        {"iv", false, "2026-12-07T17:38:12.000", QTime(17, 45, 30),
         QDateTime(day, QTime(17, 38, 12)), QDateTime(day, QTime(17, 45, 30))},
        {"iv past midnight", false, "2026-12-07T23:59:00.000", QTime(0, 1, 5),
         QDateTime(day, QTime(23, 59)), QDateTime(day.addDays(1), QTime(0, 1, 5))},
        {"four-probe", true, "2026-12-07T10:00:00.000", QTime(10, 30),
         QDateTime(day, QTime(10, 0, 1)), QDateTime(day, QTime(10, 30))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        {
            Session first(folder.path());
            if (c.thermo) {
                first.record->startRun(thermo::ThermoRunKind::FourProbe);
                for (int k = 1; k <= 3; ++k) {
                    first.record->thermoCount = k;
                    first.record->thermoTime[static_cast<size_t>(k)] =
                        text::timeOfDay(k == 3 ? c.lastPoint : QTime(10, 0, k));
                    first.record->sampleStored(k);
                }
            } else {
                first.sweep(2, 5);
            }
        }
        {
            Reader reader(folder.path());
            reader.run(QStringLiteral("UPDATE measurement SET started = '%1', ended = NULL")
                           .arg(QLatin1String(c.started)));
            reader.run(QStringLiteral("UPDATE point SET t = %1 WHERE segment = 2 AND idx = 5")
                           .arg(text::timeOfDay(c.lastPoint), 0, 'g', 17));
        }
        Session next(folder.path());
        const QString span =
            c.first.date() == c.last.date()
                ? QStringLiteral("on %1 from %2 to %3")
                      .arg(text::shortDateText(c.first.date()), text::longTimeText(c.first.time()),
                           text::longTimeText(c.last.time()))
                : QStringLiteral("from %1 %2 to %3 %4")
                      .arg(text::shortDateText(c.first.date()), text::longTimeText(c.first.time()),
                           text::shortDateText(c.last.date()), text::longTimeText(c.last.time()));
        ASSERT_EQ(next.messages.size(), 1);
        EXPECT_TRUE(next.messages.front().contains(span)) << next.messages.front().toStdString();
    }
}

// A journal whose unsaved measurements cannot be read now (here: a table of another shape)
// keeps them unsaved, says so, and gives them back at a start that can read them.
TEST(Journal, AFailedRecoveryReadKeepsTheMeasurementForTheNextStart) {
    struct Case {
        const char* name;
        bool thermo;
        const char* breaks;
        const char* mends;
    };
    const Case cases[] = {
        {"points", false, "ALTER TABLE point RENAME COLUMN x TO volts",
         "ALTER TABLE point RENAME COLUMN volts TO x"},
        {"labels", false, "ALTER TABLE segment RENAME COLUMN label TO caption",
         "ALTER TABLE segment RENAME COLUMN caption TO label"},
        {"samples", true, "ALTER TABLE point RENAME COLUMN w TO tc",
         "ALTER TABLE point RENAME COLUMN tc TO w"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        {
            Session first(folder.path());
            if (c.thermo) {
                first.record->startRun(thermo::ThermoRunKind::Thermocouple);
                first.record->thermoCount = 1;
                first.record->thermoTime[1] = 0.5;
                first.record->sampleStored(1);
            } else {
                first.sweep(1, 5);
            }
        }
        Reader(folder.path()).run(QLatin1String(c.breaks));
        {
            Session unreadable(folder.path());
            ASSERT_EQ(unreadable.messages.size(), 1);
            EXPECT_TRUE(unreadable.messages.front().startsWith(
                QStringLiteral("Unsaved measurements in the journal could not be read (")))
                << unreadable.messages.front().toStdString();
            EXPECT_EQ(unreadable.store->seriesCount, 0);
            EXPECT_EQ(unreadable.store->storedCount(1, 1), 0);
            EXPECT_EQ(unreadable.record->thermoCount, 0);
            EXPECT_FALSE(unreadable.journal->series().hasUnsaved());
        }
        {
            Reader reader(folder.path());
            EXPECT_EQ(reader.value("SELECT group_concat(state) FROM measurement"), "unsaved");
            reader.run(QLatin1String(c.mends));
        }
        Session mended(folder.path());
        ASSERT_EQ(mended.messages.size(), 1);
        EXPECT_TRUE(mended.messages.front().startsWith(QStringLiteral("Recovered ")));
        EXPECT_EQ(c.thermo ? mended.record->thermoCount : mended.store->storedCount(1, 1),
                  c.thermo ? 1 : 5);
    }
}

}  // namespace
}  // namespace tarvix::journal
