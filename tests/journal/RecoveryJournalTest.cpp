// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <memory>

#include "journal/RecoveryJournal.h"
#include "series/SeriesStore.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::journal {
namespace {

using series::SeriesStore;

// One program session on a journal folder: a store, a record and the journal watching them.
// Ending a session without settling is what a crash leaves behind.
struct Session {
    explicit Session(const QString& folder)
        : store(std::make_unique<SeriesStore>()),
          record(std::make_unique<thermo::ThermoRecord>()),
          journal(std::make_unique<RecoveryJournal>(*store, *record)) {
        messages = journal->openAndRecover(folder);
    }
    // A run as acquisition makes it: labelled segment, points (those from `clippedFrom` on at
    // the compliance), end of segment.
    void measure(int segment, int points, float offset = 0, int clippedFrom = 0) {
        store->liveLabel(segment) = QStringLiteral("12:00:0%1").arg(segment);
        for (int p = 1; p <= points; ++p) {
            store->setLivePoint(segment, p, 0.1 * p + offset, 1e-6 * p - offset,
                                clippedFrom > 0 && p >= clippedFrom);
        }
        store->liveLabel(segment) += QStringLiteral("/15ms");
        store->endLiveSegment(segment);
    }
    void commitSweep() {  // what the end of a sweep's repetition does
        store->commitLive(++store->seriesCount);
        store->clearLive();
    }
    std::unique_ptr<SeriesStore> store;
    std::unique_ptr<thermo::ThermoRecord> record;
    std::unique_ptr<RecoveryJournal> journal;
    QStringList messages;
};

struct Scenario {
    const char* name;
    std::function<void(Session&)> act;
    int recoveredSeries;     // series back in the next session
    int firstSegmentPoints;  // points of slot 1, segment 1 then
};

class RecoveryScenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(RecoveryScenarios, WhatTheNextStartBringsBack) {
    QTemporaryDir folder;
    {
        Session first(folder.path());
        GetParam().act(first);
    }
    Session next(folder.path());
    const Scenario& scenario = GetParam();
    EXPECT_EQ(next.journal->series().hasUnsaved(), scenario.recoveredSeries > 0);
    EXPECT_EQ(next.messages.size(), scenario.recoveredSeries > 0 ? 1 : 0)
        << next.messages.join('\n').toStdString();
    if (scenario.recoveredSeries > 0) {
        EXPECT_TRUE(next.messages.front().startsWith(
            QStringLiteral("Recovered %1 unsaved series measured on ")
                .arg(scenario.recoveredSeries)));
        EXPECT_EQ(next.store->seriesCount, scenario.recoveredSeries + 1);
        EXPECT_EQ(next.store->storedCount(1, 1), scenario.firstSegmentPoints);
    } else {
        EXPECT_EQ(next.store->seriesCount, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Journal, RecoveryScenarios,
    ::testing::Values(Scenario{"TwoSweepsNeverSaved",
                               [](Session& s) {
                                   s.measure(1, 5);
                                   s.commitSweep();
                                   s.measure(1, 3);
                                   s.commitSweep();
                               },
                               2, 5},
                      Scenario{"ARunStillLive", [](Session& s) { s.measure(1, 7); }, 1, 7},
                      Scenario{"ACommittedSweepAndALiveRun",
                               [](Session& s) {
                                   s.measure(1, 4);
                                   s.commitSweep();
                                   s.measure(2, 2);
                               },
                               2, 4},
                      Scenario{"Saved",
                               [](Session& s) {
                                   s.measure(1, 4);
                                   s.commitSweep();
                                   s.journal->series().settleAll(Settlement::Saved,
                                                                 QStringLiteral("a.ktl"));
                               },
                               0, 0},
                      Scenario{"DeletedWithTheLiveRunKept",
                               [](Session& s) {
                                   s.measure(1, 4);
                                   s.commitSweep();
                                   s.measure(1, 6);
                                   s.journal->series().settleStored(Settlement::Deleted);
                               },
                               1, 6},
                      Scenario{"ReplacedByAnOpenedFile",
                               [](Session& s) {
                                   s.measure(1, 4);
                                   s.commitSweep();
                                   s.journal->series().settleAll(Settlement::Replaced);
                               },
                               0, 0},
                      Scenario{"ALiveRunClearedWithoutCommit",
                               [](Session& s) {
                                   s.measure(1, 4);
                                   s.store->clearLive();
                               },
                               0, 0},
                      Scenario{"AnEmptyLiveLayerCommittedOverASeries",
                               [](Session& s) {
                                   s.measure(1, 4);
                                   s.store->commitLive(1);
                                   s.store->clearLive();
                                   s.store->commitLive(1);
                               },
                               0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Journal, RecoveredSeriesHoldTheExactPointsFlagsAndLabelsAndComeBackAgainUntilSaved) {
    QTemporaryDir folder;
    std::vector<float> voltages;
    {
        Session first(folder.path());
        first.measure(2, 4, 1.0f / 3, 3);
        first.commitSweep();
        for (int p = 1; p <= 4; ++p) {
            voltages.push_back(first.store->storedVoltage(2, 1)[p]);
        }
    }
    {
        Session second(folder.path());  // recovers, measures one more, crashes again
        second.measure(1, 2);
        second.commitSweep();
    }
    Session third(folder.path());
    ASSERT_EQ(third.store->seriesCount, 3);
    // Segments keep their numbers; values are the very floats that were measured, with their
    // compliance flags.
    EXPECT_EQ(third.store->storedCount(1, 1), 0);
    ASSERT_EQ(third.store->storedCount(2, 1), 4);
    EXPECT_EQ(third.store->storedVoltage(2, 1)[0], 4.0f);
    for (int p = 1; p <= 4; ++p) {
        EXPECT_EQ(third.store->storedVoltage(2, 1)[p], voltages[static_cast<size_t>(p - 1)]);
        EXPECT_EQ(third.store->atCompliance(1, 2, p), p >= 3) << p;
    }
    EXPECT_FALSE(third.store->atCompliance(2, 1, 1));
    EXPECT_EQ(third.store->segmentLabel(2, 1), QStringLiteral("12:00:02/15ms"));
    EXPECT_EQ(third.store->storedCount(1, 2), 2);
    third.journal->series().settleAll(Settlement::Saved, QStringLiteral("x.ktl"));
    third.journal.reset();
    Session fourth(folder.path());
    EXPECT_EQ(fourth.store->seriesCount, 0);
}

// The tables a run does not fill still hold an earlier run's readings: they are no
// readings of its samples and stay out of the journal.
TEST(Journal, TheFourProbeRecordComesBackWithItsKindAndMissingReadings) {
    QTemporaryDir folder;
    {
        Session first(folder.path());
        first.record->startRun(thermo::ThermoRunKind::Thermocouple);
        first.record->thermoCount = 1;
        first.record->thermoTemp[1] = 1e-3;
        first.record->thermoResistance[1] = 7.0;
        first.record->thermoTime[1] = 0.25;
        for (int k = 1; k <= 3; ++k) {
            first.record->thermoRefTemp[static_cast<size_t>(k)] = 295.0;
            first.record->thermoTcTemp[static_cast<size_t>(k)] = 300.0;
        }
        first.record->sampleStored(1);
        first.record->startRun(thermo::ThermoRunKind::FourProbe);
        for (int k = 1; k <= 3; ++k) {
            first.record->thermoCount = k;
            first.record->thermoTemp[static_cast<size_t>(k)] = 20.5 + k;
            first.record->thermoResistance[static_cast<size_t>(k)] =
                k == 2 ? std::nan("") : 100.0 * k;
            first.record->thermoTime[static_cast<size_t>(k)] = 0.5;
            first.record->sampleStored(k);
        }
        QSqlQuery points(first.journal->database().database());
        ASSERT_TRUE(points.exec(
            QStringLiteral("SELECT quote(x) || ' ' || quote(y) || ' ' || quote(z) || ' ' || "
                           "quote(w) FROM point ORDER BY measurement_id, idx")));
        for (const char* wanted : {"0.001 7.0 295.0 300.0", "21.5 100.0 NULL NULL",
                                   "22.5 NULL NULL NULL", "23.5 300.0 NULL NULL"}) {
            ASSERT_TRUE(points.next());
            EXPECT_EQ(points.value(0).toString(), QLatin1String(wanted));
        }
    }
    Session second(folder.path());
    ASSERT_EQ(second.record->thermoCount, 3);
    EXPECT_EQ(second.record->filledBy, thermo::ThermoRunKind::FourProbe);
    EXPECT_EQ(second.record->thermoTemp[3], 23.5);
    EXPECT_TRUE(std::isnan(second.record->thermoResistance[2]));
    ASSERT_EQ(second.messages.size(), 1);
    EXPECT_TRUE(second.messages.front().startsWith(
        QStringLiteral("Recovered an unsaved four-probe record of 3 samples")));
    second.record->savedTo(QStringLiteral("r.temp"));
    second.journal.reset();
    Session third(folder.path());
    EXPECT_EQ(third.record->thermoCount, 0);
}

// Whatever lies where the journal should be, the program starts and says so. A damaged
// journal of ours keeps its contents under another name and a fresh file journals the next
// run; anything not recognisably ours is left exactly as it is, and nothing is journaled.
TEST(Journal, AnUnreadableJournalIsSetAsideAndAFreshOneKeepsTheNextRun) {
    QTemporaryDir source;
    {
        Session first(source.path());
        for (int run = 0; run < 20; ++run) {
            first.measure(1, 50);
            first.commitSweep();
        }
    }
    QFile original(QDir(source.path()).filePath(QString::fromLatin1(JournalDatabase::kFileName)));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    ASSERT_GT(bytes.size(), 4096);

    struct Damage {
        std::string what;
        std::function<void(const QString&)> make;
        bool ours;  // still recognisably a journal of ours
    };
    std::vector<Damage> damages;
    for (qsizetype cut : {qsizetype(0), qsizetype(10), qsizetype(100), qsizetype(1024),
                          qsizetype(4095), qsizetype(4097), bytes.size() / 2, bytes.size() - 1}) {
        damages.push_back({"truncated at " + std::to_string(cut),
                           [&, cut](const QString& path) {
                               QFile file(path);
                               ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                               file.write(bytes.left(cut));
                           },
                           // An empty file at the journal's own place is what any SQLite
                           // reader leaves there: a new journal.
                           cut == 0 || cut >= 100});
    }
    damages.push_back({"garbage",
                       [](const QString& path) {
                           QFile file(path);
                           ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                           file.write(QByteArray(9000, '\x5a'));
                       },
                       false});
    damages.push_back({"header kept, pages overwritten",
                       [&](const QString& path) {
                           QFile file(path);
                           ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                           file.write(bytes.left(100) + QByteArray(bytes.size() - 100, '\xff'));
                       },
                       true});
    damages.push_back(
        {"a folder",
         [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/inside"))); },
         false});
    for (const auto& [what, damage, ours] : damages) {
        SCOPED_TRACE(what);
        QTemporaryDir folder;
        const QString path =
            QDir(folder.path()).filePath(QString::fromLatin1(JournalDatabase::kFileName));
        damage(path);
        const auto contents = [&path] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(folder)");
        };
        const QByteArray before = contents();
        {
            Session session(folder.path());
            EXPECT_EQ(session.journal->database().isOpen(), ours);
            // A file that still reads gives back what it holds; one that does not is set
            // aside with a message that says why.
            const bool setAside =
                QDir(folder.path())
                    .entryList({QStringLiteral("*.unreadable-*")}, QDir::AllEntries)
                    .size() == 1;
            EXPECT_EQ(setAside, !session.messages.isEmpty() &&
                                    session.messages.front().contains(QStringLiteral("set aside")));
            EXPECT_TRUE(setAside || what.starts_with("truncated") || !ours)
                << session.messages.join('\n').toStdString();
            EXPECT_FALSE(session.messages.join('\n').contains(QStringLiteral("()")));
            if (!ours) {
                ASSERT_EQ(session.messages.size(), 1);
                EXPECT_TRUE(session.messages.front().contains(QStringLiteral("left as it is")))
                    << session.messages.front().toStdString();
                EXPECT_EQ(contents(), before);
                continue;
            }
            session.measure(1, 3);
        }
        Session after(folder.path());
        EXPECT_EQ(after.store->storedCount(1, after.store->seriesCount - 1), 3);
    }
}

// Without a file the program still knows what was never saved, so it still asks.
TEST(Journal, AFolderWithoutRoomForAJournalOnlySaysSo) {
    QTemporaryDir folder;
    // A missing folder is made; one below a plain file cannot be.
    QFile plainFile(folder.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
    plainFile.close();
    Session session(folder.filePath(QStringLiteral("plain/folder")));
    ASSERT_EQ(session.messages.size(), 1);
    EXPECT_TRUE(session.messages.front().contains(QStringLiteral("cannot be used")));
    EXPECT_FALSE(session.journal->database().isOpen());
    session.measure(1, 3);
    EXPECT_TRUE(session.journal->series().hasUnsaved());
    session.commitSweep();
    session.journal->series().settleAll(Settlement::Saved);
    EXPECT_FALSE(session.journal->series().hasUnsaved());
}

TEST(Journal, AForeignDatabaseIsNotWrittenInto) {
    QTemporaryDir folder;
    const QString path =
        QDir(folder.path()).filePath(QString::fromLatin1(JournalDatabase::kFileName));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes (text TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    Session session(folder.path());
    ASSERT_EQ(session.messages.size(), 1);
    EXPECT_TRUE(session.messages.front().contains(
        QStringLiteral("not a database of this program (a SQLite database of another program)")))
        << session.messages.front().toStdString();
}

// Points are written by a thread of their own: they must reach the file while the segment is
// still running, not only when it ends, or a crash mid-segment would lose them all.
TEST(Journal, PointsReachTheFileWhileTheSegmentRuns) {
    QTemporaryDir folder;
    Session session(folder.path());
    session.store->liveLabel(1) = QStringLiteral("12:00:01");
    constexpr int kPoints = 500;
    for (int p = 1; p <= kPoints; ++p) {
        session.store->setLivePoint(1, p, 0.01 * p, 1e-6 * p);
    }
    QSqlDatabase reader =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
    reader.setDatabaseName(
        QDir(folder.path()).filePath(QString::fromLatin1(JournalDatabase::kFileName)));
    ASSERT_TRUE(reader.open());
    int stored = 0;
    QElapsedTimer waited;
    waited.start();
    while (stored < kPoints && waited.elapsed() < 5000) {
        QSqlQuery count(reader);
        count.exec(QStringLiteral("SELECT count(*), sum(idx) FROM point"));
        if (count.next()) {
            stored = count.value(0).toInt();
            if (stored == kPoints) {
                EXPECT_EQ(count.value(1).toInt(), kPoints * (kPoints + 1) / 2);
            }
        }
    }
    EXPECT_EQ(stored, kPoints);
    reader.close();
    reader = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
}

}  // namespace
}  // namespace tarvix::journal
