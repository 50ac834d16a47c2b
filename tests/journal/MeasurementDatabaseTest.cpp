// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <memory>

#include "journal/JournalDatabase.h"
#include "journal/RecoveryJournal.h"
#include "journal/SchemaMigrations.h"
#include "series/SeriesStore.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::journal {
namespace {

// Runs statements on a database file through a connection of its own.
void runOn(const QString& file, const QStringList& statements) {
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

// A journal as the first version of the program left it: one series never saved (slot 1)
// and one saved into a file.
const QStringList kFirstVersionFile = {
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
    "PRAGMA application_id=1416787576",
    "PRAGMA user_version=1",
    "INSERT INTO measurement VALUES (1, 'iv', '2026-12-01T10:00:00.000', "
    "'2026-12-01T10:01:00.000', 'saved', 0)",
    "INSERT INTO point VALUES (1, 1, 1, 0.5, 1e-6, NULL, NULL, NULL)",
    "INSERT INTO context VALUES (1, 'file', '/data/first.ktl')",
    "INSERT INTO measurement VALUES (2, 'iv', '2026-12-01T11:00:00.000', "
    "'2026-12-01T11:01:00.000', 'unsaved', 1)",
    "INSERT INTO segment VALUES (2, 1, '11:00:00/60000ms')",
    "INSERT INTO point VALUES (2, 1, 1, -1, -2e-6, NULL, NULL, NULL)",
    "INSERT INTO point VALUES (2, 1, 2, 1, 2e-6, NULL, NULL, NULL)",
};

struct Session {
    explicit Session(const QString& folder) : journal(store, record) {
        messages = journal.openAndRecover(folder);
    }
    QStringList column(const QString& select) {
        QSqlQuery query(journal.database().database());
        EXPECT_TRUE(query.exec(select)) << select.toStdString();
        QStringList values;
        while (query.next()) {
            values << query.value(0).toString();
        }
        return values;
    }
    series::SeriesStore store;
    thermo::ThermoRecord record;
    RecoveryJournal journal;
    QStringList messages;
};

TEST(MeasurementDatabase, UpgradesAFirstVersionJournalKeepingEverything) {
    QTemporaryDir folder;
    const QString file =
        QDir(folder.path()).filePath(QString::fromLatin1(JournalDatabase::kFileName));
    runOn(file, kFirstVersionFile);
    for (int start = 1; start <= 2; ++start) {  // the second start finds nothing to do
        Session session(folder.path());
        ASSERT_EQ(session.messages.size(), 1) << session.messages.join('\n').toStdString();
        EXPECT_TRUE(session.messages.front().startsWith(QStringLiteral("Recovered 1 unsaved")));
        EXPECT_EQ(session.store.storedCount(1, 1), 2);
        EXPECT_FLOAT_EQ(session.store.storedCurrent(1, 1)[2], 2e-6f);
        EXPECT_EQ(session.store.segmentLabel(1, 1), QStringLiteral("11:00:00/60000ms"));
        EXPECT_EQ(session.column(QStringLiteral("SELECT version FROM schema_version")),
                  QStringList({"1", "2", "3", "4"}));
        EXPECT_EQ(session.column(QStringLiteral("SELECT measurement_id || ' ' || path || ' ' || "
                                                "role FROM file")),
                  QStringList({"1 /data/first.ktl saved"}));
        EXPECT_TRUE(session.column(QStringLiteral("SELECT key FROM context")).isEmpty());
        EXPECT_EQ(session.column(QStringLiteral("SELECT length(id) FROM bench")),
                  QStringList({"36"}));
        EXPECT_EQ(session.column(QStringLiteral("SELECT measurement_id FROM mirror_change "
                                                "ORDER BY seq")),
                  QStringList({"1", "2"}));
        EXPECT_EQ(session.column(QStringLiteral("SELECT comment FROM measurement")),
                  QStringList({"", ""}));
    }
}

// A server learns which measurements to take again from the change list; a point written
// leaves it alone (a server follows the points by their keys).
TEST(MeasurementDatabase, EveryChangeButAPointPutsTheMeasurementLastInTheChangeList) {
    QTemporaryDir folder;
    Session session(folder.path());
    const auto order = [&] {
        return session.column(
            QStringLiteral("SELECT measurement_id FROM mirror_change ORDER BY seq"));
    };
    session.column(QStringLiteral("INSERT INTO measurement (kind, started) VALUES ('iv', '')"));
    session.column(QStringLiteral("INSERT INTO measurement (kind, started) VALUES ('lcr', '')"));
    ASSERT_EQ(order(), QStringList({"1", "2"}));
    const struct {
        const char* statement;
        QStringList wanted;
    } cases[] = {
        {"UPDATE measurement SET state = 'saved' WHERE id = 1", {"2", "1"}},
        {"INSERT INTO context VALUES (2, 'steps', '4')", {"1", "2"}},
        {"INSERT OR REPLACE INTO context VALUES (1, 'steps', '5')", {"2", "1"}},
        {"INSERT INTO file VALUES (2, '/data/a.ktl', 'saved', '')", {"1", "2"}},
        {"INSERT INTO point (measurement_id, segment, idx, x, y) VALUES (1, 1, 1, 0.5, 1e-6)",
         {"1", "2"}},
        {"INSERT OR REPLACE INTO segment VALUES (1, 1, '10:00:00/1ms')", {"1", "2"}},
    };
    for (const auto& test : cases) {
        session.column(QString::fromLatin1(test.statement));
        EXPECT_EQ(order(), test.wanted) << test.statement;
    }
}

// The newest version this program knows opens as it is; a later one is left as it is, never
// written by a program that does not know its tables, nor set aside as if it were damaged.
TEST(MeasurementDatabase, OpensItsOwnVersionAndLeavesALaterOneAlone) {
    struct Case {
        int version;
        bool kept;
    };
    constexpr int kCurrent = SchemaMigrations::kCurrentVersion;
    for (const Case test : {Case{kCurrent, true}, Case{kCurrent + 1, false}}) {
        QTemporaryDir folder;
        const QString file =
            QDir(folder.path()).filePath(QString::fromLatin1(JournalDatabase::kFileName));
        { Session first(folder.path()); }
        runOn(file, {QStringLiteral("DELETE FROM schema_version WHERE version = %1").arg(kCurrent),
                     QStringLiteral("INSERT INTO schema_version VALUES (%1, '')").arg(test.version),
                     QStringLiteral("INSERT INTO measurement (kind, started) VALUES ('iv', '')")});
        {
            Session again(folder.path());
            EXPECT_EQ(again.journal.database().isOpen(), test.kept) << test.version;
            EXPECT_EQ(again.messages.isEmpty(), test.kept) << test.version;
            EXPECT_EQ(again.messages.join(' ').contains(QStringLiteral("newer version")),
                      !test.kept);
        }
        EXPECT_TRUE(QDir(folder.path()).entryList({"*.unreadable-*"}, QDir::Files).isEmpty());
    }
}

}  // namespace
}  // namespace tarvix::journal
