// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "journal/JournalDatabase.h"
#include "journal/LcrJournal.h"
#include "lcr/FreqSweep.h"
#include "lcr/SweepSettings.h"

namespace tarvix::journal {
namespace {

// One program session on a journal folder, with the LCR journal told of a sweep as the
// sweep tells it. Ending a session without `sweepWritten` is what a kill leaves behind.
struct LcrSession {
    explicit LcrSession(const QString& folder) {
        QString notice;
        EXPECT_TRUE(db.open(folder, &notice)) << notice.toStdString();
        journal = std::make_unique<LcrJournal>(db, [](const lcr::SweepSettings& settings) {
            return MeasurementContext{QStringLiteral("capacitor C3"),
                                      {{QStringLiteral("primary_code"), settings.primaryCode}}};
        });
    }
    void measure(const QString& file, int points) {
        journal->sweepStarted(lcr::SweepSettings{}, file);
        for (int i = 1; i <= points; ++i) {
            store(i);
        }
    }
    void store(int i) {
        const auto k = static_cast<std::size_t>(i);
        sweep.sweepFreq[k] = 10.0 * i;
        sweep.sweepPrimary[k] = i == 2 ? std::nan("") : 1e-9 * i;
        sweep.sweepSecondary[k] = 0.5;
        journal->pointStored(sweep, i);
    }
    QString query(const QString& sql) {
        QSqlQuery query(db.database());
        return query.exec(sql) && query.next() ? query.value(0).toString() : QStringLiteral("-");
    }
    JournalDatabase db;
    std::unique_ptr<LcrJournal> journal;
    lcr::FreqSweep sweep;
};

// Points the file refuses (a full disk) are held with the journal's other writes and all go
// in once it takes writes again; the sweep's end marks it saved with its file.
TEST(LcrJournal, EveryPointGoesInAsMeasuredOrOnceTheFileTakesWritesAgain) {
    QTemporaryDir folder;
    LcrSession session(folder.path());
    session.measure(folder.filePath("run.frq"), 1);
    QSqlQuery refuse(session.db.database());
    ASSERT_TRUE(refuse.exec(QStringLiteral("CREATE TEMP TABLE refusing (x)")));
    ASSERT_TRUE(refuse.exec(QStringLiteral(
        "CREATE TEMP TRIGGER full BEFORE INSERT ON main.point WHEN (SELECT count(*) FROM "
        "refusing) > 0 BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END")));
    ASSERT_TRUE(refuse.exec(QStringLiteral("INSERT INTO refusing VALUES (1)")));
    session.store(2);
    session.store(3);
    EXPECT_FALSE(session.db.writes().state().writing);
    EXPECT_EQ(session.db.writes().state().pointsHeld, 2);
    ASSERT_TRUE(refuse.exec(QStringLiteral("DELETE FROM refusing")));
    session.db.writes().retry();
    session.store(4);
    EXPECT_EQ(session.query(QStringLiteral("SELECT group_concat(idx || ':' || coalesce(y, 'null'), "
                                           "' ') FROM point")),
              "1:1.0e-09 2:null 3:3.0e-09 4:4.0e-09");
    EXPECT_EQ(session.query(QStringLiteral("SELECT state FROM measurement")), "unsaved");
    session.journal->sweepWritten(folder.filePath("run.frq"));
    EXPECT_EQ(session.query(QStringLiteral("SELECT state || ' ' || comment FROM measurement")),
              "saved capacitor C3");
    EXPECT_EQ(session.query(QStringLiteral("SELECT path FROM file")), folder.filePath("run.frq"));
}

// A session killed mid-sweep; what the next start brings back and how it settles the sweep.
TEST(LcrJournal, WhatTheNextStartBringsBack) {
    enum class File { Written, Gone };
    struct Case {
        const char* name;
        int points;
        File file;
        bool readable;
        int recovered;
        bool fileKept;
        const char* stateAfter;
    };
    const Case cases[] = {
        {"killed after 10 points", 10, File::Written, true, 10, true, "saved"},
        {"its file gone", 10, File::Gone, true, 10, false, "unsaved"},
        {"a read that fails", 10, File::Written, false, 0, false, "unsaved"},
        {"killed before the first point", 0, File::Written, true, 0, false, "replaced"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        QTemporaryDir folder;
        const QString frq = folder.filePath("run.frq");
        {
            LcrSession killed(folder.path());
            QFile file(frq);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            killed.measure(frq, k.points);
            file.write("lines\r\n");
        }
        if (k.file == File::Gone) {
            QFile::remove(frq);
        }
        LcrSession next(folder.path());
        qint64 loadedId = 0;
        const RecoveredSweep found = next.journal->recover([&](qint64 id, QString* failure) {
            loadedId = id;
            if (!k.readable) {
                *failure = QStringLiteral("disk I/O error");
            }
            return k.readable;
        });
        EXPECT_EQ(found.readFailure.isEmpty(), k.readable);
        EXPECT_EQ(found.points, k.recovered);
        EXPECT_EQ(loadedId != 0, k.points > 0);
        EXPECT_EQ(found.file, k.fileKept ? frq : QString());
        if (found.points > 0) {
            EXPECT_TRUE(found.first.isValid());
            EXPECT_GE(found.last, found.first);
        }
        EXPECT_EQ(next.query(QStringLiteral("SELECT state FROM measurement")), k.stateAfter);
        EXPECT_EQ(next.query(QStringLiteral("SELECT count(*) FROM file")), k.fileKept ? "1" : "0");
    }
}

}  // namespace
}  // namespace tarvix::journal
