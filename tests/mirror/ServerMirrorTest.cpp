// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "journal/JournalDatabase.h"
#include "mirror/DatabaseStatusText.h"
#include "mirror/MirrorWorker.h"
#include "mirror/ServerMirror.h"
#include "mirror/ServerSchema.h"
#include "mirror/ServerWatchdog.h"
#include "support/TcpProxy.h"
#include "support/TestServer.h"
#include "thermo/ThermocoupleConversion.h"

namespace tarvix::mirror {
namespace {

using tarvix::testing::TcpProxy;
using tarvix::testing::TestServer;

// Each table as rows of text, the same on the bench and on the server: the bench's query,
// then the server's for the bench `?`.
const struct {
    const char* local;
    const char* server;
} kTables[] = {
    {"SELECT id, kind, started, ended, state, slot, comment FROM measurement ORDER BY id",
     "SELECT id, kind, to_char(started, 'YYYY-MM-DD\"T\"HH24:MI:SS.MS'), "
     "to_char(ended, 'YYYY-MM-DD\"T\"HH24:MI:SS.MS'), state, slot, comment FROM measurement "
     "WHERE bench = ?::uuid ORDER BY id"},
    {"SELECT measurement_id, segment, label FROM segment ORDER BY 1, 2",
     "SELECT measurement_id, segment, label FROM segment WHERE bench = ?::uuid ORDER BY 1, 2"},
    {"SELECT measurement_id, segment, idx, x, y, z, w, t FROM point ORDER BY 1, 2, 3",
     "SELECT measurement_id, segment, idx, x, y, z, w, t FROM point WHERE bench = ?::uuid "
     "ORDER BY 1, 2, 3"},
    {"SELECT measurement_id, key, value FROM context ORDER BY 1, 2",
     "SELECT measurement_id, key, value FROM context WHERE bench = ?::uuid ORDER BY 1, 2"},
    {"SELECT rowid, measurement_id, path, role, written FROM file ORDER BY 1",
     "SELECT id, measurement_id, path, role, to_char(written, 'YYYY-MM-DD\"T\"HH24:MI:SS.MS') "
     "FROM file WHERE bench = ?::uuid ORDER BY 1"},
};

QStringList rows(QSqlDatabase& db, const QString& select, const QVariantList& values = {}) {
    QSqlQuery query(db);
    bool done = values.isEmpty() ? query.exec(select) : query.prepare(select);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    done = done && (values.isEmpty() || query.exec());
    EXPECT_TRUE(done) << select.toStdString() << query.lastError().text().toStdString();
    QStringList found;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i) {
            const QVariant value = query.value(i);
            const bool real = value.typeId() == QMetaType::Double;
            fields << (query.isNull(i) ? QString()
                       : real          ? QString::number(value.toDouble(), 'g', 17)
                                       : value.toString());
        }
        found << fields.join('|');
    }
    return found;
}

class ServerMirrorTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!TestServer::unavailable().isEmpty()) {
            return;
        }
        server_ = std::make_unique<TestServer>();
        if (!server_->start(&startError_)) {
            server_.reset();
        }
    }
    static void TearDownTestSuite() { server_.reset(); }
    void SetUp() override {
        if (const QString why = TestServer::unavailable(); !why.isEmpty()) {
            GTEST_SKIP() << why.toStdString();
        }
        ASSERT_TRUE(server_) << startError_.toStdString();
        name_ = server_->createDatabase();
        db_ = server_->open(name_, name_);
        ASSERT_TRUE(db_.isOpen()) << db_.lastError().text().toStdString();
    }
    void TearDown() override {
        if (!name_.isEmpty()) {
            db_.close();
            db_ = QSqlDatabase();
            QSqlDatabase::removeDatabase(name_);
        }
    }

    static QString program() { return QStringLiteral(TARVIX_BINARY_DIR "/tarvix"); }
    static QString journal(const QTemporaryDir& bench) {
        return bench.filePath(QString::fromLatin1(journal::JournalDatabase::kFileName));
    }
    // The real program on the simulated bench, measuring into its own file in `bench` and
    // copying to the test's database.
    void start(QProcess& process, const QTemporaryDir& bench, const QString& recipe,
               const QString& bus = QStringLiteral("sim:noise=0,latency=1"),
               QString database = {}) {
        const QString file = bench.filePath(QStringLiteral("recipe.txt"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(recipe.toUtf8());
        out.close();
        if (database.isEmpty()) {
            database = server_->url(name_);
        }
        process.start(program(), {"--bus", bus, "--script", file, "--config-dir", bench.path(),
                                  "--database", database, "-platform", "offscreen"});
        ASSERT_TRUE(process.waitForStarted());
    }
    static QString finish(QProcess& process) {
        EXPECT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    // -1 while the server has no such table yet.
    qint64 serverCount(const char* select) {
        QSqlQuery query(db_);
        return query.exec(QString::fromLatin1(select)) && query.next() ? query.value(0).toLongLong()
                                                                       : -1;
    }
    static qint64 localCount(const QTemporaryDir& bench) {
        qint64 count = 0;
        {
            QSqlDatabase local = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "count");
            local.setDatabaseName(journal(bench));
            if (local.open()) {
                const QStringList found = rows(local, QStringLiteral("SELECT count(*) FROM point"));
                count = found.value(0).toLongLong();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("count"));
        return count;
    }
    static void waitFor(const std::function<bool()>& ready, const char* what) {
        QElapsedTimer waited;
        waited.start();
        while (!ready() && waited.elapsed() < 60000) {
            QThread::msleep(50);
        }
        ASSERT_TRUE(ready()) << what;
    }
    // Every table of the bench's file equals the server's rows of that bench.
    void expectSameAsBench(const QString& file) {
        const QString connection = QUuid::createUuid().toString();
        {
            QSqlDatabase local = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            local.setDatabaseName(file);
            ASSERT_TRUE(local.open());
            const QString bench = rows(local, QStringLiteral("SELECT id FROM bench")).value(0);
            for (const auto& table : kTables) {
                const QStringList here = rows(local, QString::fromLatin1(table.local));
                EXPECT_FALSE(here.isEmpty() && &table <= &kTables[2]) << table.local;
                EXPECT_EQ(
                    rows(db_, QString::fromLatin1(table.server), {bench}).join('\n').toStdString(),
                    here.join('\n').toStdString())
                    << table.server;
            }
        }
        QSqlDatabase::removeDatabase(connection);
    }

    // A bench's database with one finished LCR sweep of two points.
    static void makeBenchFile(const QTemporaryDir& bench) {
        journal::JournalDatabase local;
        QString notice;
        ASSERT_TRUE(local.open(bench.path(), &notice));
        for (const char* statement :
             {"INSERT INTO measurement (kind, started, ended, state, comment) VALUES "
              "('lcr', '2026-12-07T10:00:00.125', '2026-12-07T10:01:00.000', 'saved', 'C3')",
              "INSERT INTO point (measurement_id, segment, idx, x, y, z, w, t) "
              "VALUES (1, 1, 1, 100, 1e-9, 0.01, NULL, NULL)",
              "INSERT INTO point (measurement_id, segment, idx, x, y, z, w, t) "
              "VALUES (1, 1, 2, 1000, 2.5e-10, NULL, NULL, NULL)",
              "INSERT INTO segment VALUES (1, 1, '')",
              "INSERT INTO context VALUES (1, 'points', '2')",
              // Quotes, a backslash and Cyrillic reach the server as they are.
              "INSERT INTO context VALUES (1, 'sample', 'O''Neil \\ образец \"7\"')",
              "INSERT INTO file VALUES (1, '/data/c3.frq', 'saved', "
              "'2026-12-07T10:01:00.500')"}) {
            ASSERT_TRUE(QSqlQuery(local.database()).exec(QString::fromUtf8(statement)));
        }
    }
    // Steps `worker` until it is in step, at most `rounds` times.
    static void catchUp(MirrorWorker& worker, int rounds = 5) {
        for (int round = 0; round < rounds && !worker.state().inStep(); ++round) {
            worker.step();
        }
    }
    static void exec(QSqlDatabase& db, const QString& statement, const QVariantList& values = {}) {
        QSqlQuery query(db);
        if (values.isEmpty()) {
            ASSERT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
            return;
        }
        ASSERT_TRUE(query.prepare(statement)) << query.lastError().text().toStdString();
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        ASSERT_TRUE(query.exec()) << statement.toStdString()
                                  << query.lastError().text().toStdString();
    }
    // Runs statements on the bench's database in `bench`.
    static void onBench(const QTemporaryDir& bench,
                        const std::function<void(QSqlDatabase&)>& work) {
        {
            QSqlDatabase local = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "onBench");
            local.setDatabaseName(journal(bench));
            ASSERT_TRUE(local.open());
            work(local);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("onBench"));
    }
    static MirrorSettings settings(const QTemporaryDir& bench, const QString& url) {
        QString why;
        return MirrorSettings{*ServerAddress::parse(url, &why), journal(bench),
                              QStringLiteral("bench-1")};
    }

    // The test's database reached over the network, through the relay on `port`.
    QString networkUrl(int port) const {
        return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
            .arg(QLatin1String(TestServer::kUser))
            .arg(port)
            .arg(name_);
    }

    static inline std::unique_ptr<TestServer> server_;
    static inline QString startError_;
    QString name_;
    QSqlDatabase db_;
};

const QString kSweep = QStringLiteral(
    "set Edit41 %1\nset Edit61 %2\nset Edit44 sample A7 after anneal\nclick Button1\n");

TEST_F(ServerMirrorTest, ASweepReachesTheServerAsTheBenchHoldsItWithItsSettings) {
    QTemporaryDir bench;
    QProcess tarvix;
    const QString recipe = kSweep.arg(40).arg(1) + QStringLiteral(
                                                       "answer %1\nclick Button5\nwait 3000\n"
                                                       "print StatusDatabase\n")
                                                       .arg(bench.filePath("a7.ktl"));
    ASSERT_NO_FATAL_FAILURE(start(tarvix, bench, recipe));
    const QString output = finish(tarvix);
    EXPECT_TRUE(output.contains(
        QStringLiteral("StatusDatabase: Database: %1, in step\n").arg(server_->url(name_))))
        << output.toStdString();
    expectSameAsBench(journal(bench));
    EXPECT_EQ(rows(db_, QStringLiteral("SELECT comment || '|' || state FROM measurement")),
              QStringList({"sample A7 after anneal|saved"}));
    const QStringList settings =
        rows(db_, QStringLiteral("SELECT key || '=' || value FROM context ORDER BY key"));
    EXPECT_TRUE(settings.contains(QStringLiteral("steps=40")));
    EXPECT_TRUE(settings.filter(QRegularExpression("^instrument\\.24=.*MODEL 24")).size() == 1)
        << settings.join('\n').toStdString();
    EXPECT_EQ(rows(db_, QStringLiteral("SELECT path FROM file WHERE role = 'saved'")),
              QStringList({bench.filePath("a7.ktl")}));
    // Each point went over once: the points' storage was only ever added to.
    const char* const stored =
        "SELECT sum(n_tup_ins), sum(n_tup_upd + n_tup_del) FROM pg_stat_user_tables "
        "WHERE relname LIKE 'point%'";
    waitFor(
        [&] {
            QSqlQuery(db_).exec(QStringLiteral("SELECT pg_stat_clear_snapshot()"));
            return serverCount(stored) > 0;
        },
        "the server's counts");
    EXPECT_EQ(rows(db_, QString::fromLatin1(stored)).value(0).section('|', 1), QStringLiteral("0"));
}

// The server goes away in the middle of a run and comes back: what the bench measured
// meanwhile arrives, and nothing twice (the keys would refuse a second copy; the counts say
// nothing was dropped either).
TEST_F(ServerMirrorTest, AServerStoppedMidRunGetsEveryPointOnceItIsBack) {
    QTemporaryDir bench;
    QProcess tarvix;
    ASSERT_NO_FATAL_FAILURE(start(tarvix, bench,
                                  kSweep.arg(100).arg(4) + QStringLiteral("wait 5000\n"),
                                  QStringLiteral("sim:noise=0,latency=2")));
    waitFor([&] { return serverCount("SELECT count(*) FROM point") >= 50; }, "first points");
    ASSERT_TRUE(server_->stop());
    const qint64 whenStopped = localCount(bench);
    waitFor([&] { return localCount(bench) >= whenStopped + 100; }, "points while stopped");
    QString why;
    ASSERT_TRUE(server_->start(&why)) << why.toStdString();
    db_.close();
    ASSERT_TRUE(db_.open());
    finish(tarvix);
    EXPECT_EQ(serverCount("SELECT count(*) FROM point"), localCount(bench));
    expectSameAsBench(journal(bench));
}

// Ten benches measure while the server is stopped under them and started again: each
// bench's rows end up on the server exactly as the bench holds them, every point once.
TEST_F(ServerMirrorTest, AServerStoppedUnderTenBenchesGetsEveryPointOnce) {
    constexpr int kBenches = 10;
    QTemporaryDir benches[kBenches];
    std::vector<QSqlDatabase> files;
    std::vector<std::unique_ptr<ServerMirror>> mirrors;
    for (int i = 0; i < kBenches; ++i) {
        ASSERT_NO_FATAL_FAILURE(makeBenchFile(benches[i]));
        files.push_back(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QString::number(i)));
        files.back().setDatabaseName(journal(benches[i]));
        ASSERT_TRUE(files.back().open());
        exec(files.back(), QStringLiteral("INSERT INTO measurement (id, kind, started) VALUES "
                                          "(2, 'thermocouple', '2026-12-07T12:00:00.000')"));
        mirrors.push_back(
            std::make_unique<ServerMirror>(settings(benches[i], server_->url(name_))));
    }
    // Rounds of ten points a bench; the server stops after a third of them.
    constexpr int kRounds = 150;
    for (int round = 0; round < kRounds; ++round) {
        const int idx = 1 + round * 10;
        for (QSqlDatabase& file : files) {
            exec(file,
                 QStringLiteral("INSERT INTO point (measurement_id, segment, idx, x, y, t) "
                                "WITH RECURSIVE s(value) AS (SELECT 0 UNION ALL SELECT value + 1 "
                                "FROM s WHERE value < 9) SELECT 2, 1, ? + value, value * 0.5, "
                                "1.0 / (? + value), ? FROM s"),
                 {idx, idx, round / 8640.0});
        }
        if (round == kRounds / 3) {
            ASSERT_TRUE(server_->stop());
            QThread::msleep(1000);
            QString why;
            ASSERT_TRUE(server_->start(&why)) << why.toStdString();
        }
        QThread::msleep(20);
    }
    for (QSqlDatabase& file : files) {
        exec(file, QStringLiteral("UPDATE measurement SET ended = '2026-12-07T12:01:00.000' "
                                  "WHERE id = 2"));
    }
    db_.close();
    ASSERT_TRUE(db_.open());
    qint64 measured = 0;
    for (int i = 0; i < kBenches; ++i) {
        measured += localCount(benches[i]);
    }
    EXPECT_EQ(measured, kBenches * (2 + kRounds * 10));
    waitFor(
        [&] {
            return serverCount("SELECT count(*) FROM point") == measured &&
                   serverCount("SELECT count(*) FROM measurement WHERE ended IS NULL") == 0;
        },
        "every point and every end");
    mirrors.clear();
    for (int i = 0; i < kBenches; ++i) {
        files[static_cast<size_t>(i)].close();
        expectSameAsBench(journal(benches[i]));
    }
    files.clear();
    for (int i = 0; i < kBenches; ++i) {
        QSqlDatabase::removeDatabase(QString::number(i));
    }
}

TEST_F(ServerMirrorTest, TwoBenchesWritingAtOnceKeepTheirOwnRows) {
    QTemporaryDir first;
    QTemporaryDir second;
    QProcess one;
    QProcess two;
    ASSERT_NO_FATAL_FAILURE(start(one, first, kSweep.arg(60).arg(2)));
    ASSERT_NO_FATAL_FAILURE(start(two, second, kSweep.arg(80).arg(1)));
    finish(one);
    finish(two);
    EXPECT_EQ(serverCount("SELECT count(*) FROM bench"), 2);
    EXPECT_EQ(rows(db_, QStringLiteral("SELECT version FROM schema_version ORDER BY 1")),
              QStringList({"1", "2", "3", "4", "5"}));
    expectSameAsBench(journal(first));
    expectSameAsBench(journal(second));
}

// Points of an earlier server, one row each: a long segment past a block's size with
// missing readings, one with gaps in its indexes and times that are no whole milliseconds,
// and a measurement whose start is not known.
const char* const kEarlierPoints[] = {
    "INSERT INTO bench (id) VALUES ('00000000-0000-0000-0000-000000000001')",
    ("INSERT INTO measurement (bench, id, kind, state, started) VALUES "
     "('00000000-0000-0000-0000-000000000001', 1, 'lcr', 'saved', '2026-11-30 23:59:59.999'), "
     "('00000000-0000-0000-0000-000000000001', 2, 'iv', 'saved', NULL)"),
    ("INSERT INTO point (bench, measurement_id, segment, idx, x, y, z, t) "
     "SELECT '00000000-0000-0000-0000-000000000001', 1, 1, i, i * 0.1, "
     "CASE WHEN i % 7 <> 0 THEN 1.0 / i END, NULL, (36000000 + i) / 86400000::float8 "
     "FROM generate_series(1, 2500) AS i"),
    ("INSERT INTO point (bench, measurement_id, segment, idx, x, y, w, t) "
     "SELECT '00000000-0000-0000-0000-000000000001', 2, 2, i, -i, 1e-300 * i, 3, 0.123456789 * i "
     "FROM unnest(ARRAY[1, 2, 5]) AS i"),
};

const char* const kAllPoints =
    "SELECT measurement_id, segment, idx, x, y, z, w, t FROM point ORDER BY bench, 1, 2, 3";

TEST_F(ServerMirrorTest, MakesTheTablesFromNothingOrUpgradesEarlierOnesKeepingEveryPoint) {
    for (const int from : {0, 1, 3, 4}) {
        SCOPED_TRACE(from);
        QStringList earlier;
        if (from > 0) {
            TearDown();
            SetUp();
            QString why;
            ASSERT_TRUE(ServerSchema::upgrade(db_, &why, std::min(from, 3))) << why.toStdString();
            for (const char* statement : kEarlierPoints) {
                ASSERT_NO_FATAL_FAILURE(exec(db_, QString::fromLatin1(statement)));
            }
            ASSERT_TRUE(ServerSchema::upgrade(db_, &why, from)) << why.toStdString();
            earlier = rows(db_, QString::fromLatin1(kAllPoints));
        }
        QTemporaryDir bench;
        makeBenchFile(bench);
        {
            MirrorWorker worker(settings(bench, server_->url(name_)));
            catchUp(worker);
            EXPECT_TRUE(worker.state().inStep()) << worker.state().problem.toStdString();
        }
        EXPECT_EQ(rows(db_, QStringLiteral("SELECT version FROM schema_version ORDER BY 1")),
                  QStringList({"1", "2", "3", "4", "5"}));
        EXPECT_EQ(serverCount("SELECT count(*) FROM bench WHERE last_seen IS NOT NULL"), 1);
        EXPECT_EQ(serverCount("SELECT count(*) FROM measurement"), from > 0 ? 3 : 1);
        expectSameAsBench(journal(bench));
        const QStringList now = rows(db_, QString::fromLatin1(kAllPoints));
        EXPECT_EQ(now.mid(0, earlier.size()), earlier);
        EXPECT_EQ(now.size(), earlier.size() + 2);
        // A month each, and three blocks for the long segment.
        EXPECT_EQ(
            rows(db_, QStringLiteral("SELECT c.relname FROM pg_inherits i JOIN pg_class c "
                                     "ON c.oid = i.inhrelid WHERE c.relkind = 'r' ORDER BY 1")),
            from > 0
                ? QStringList({"point_block_1970_01", "point_block_2026_11", "point_block_2026_12"})
                : QStringList({"point_block_2026_12"}));
        EXPECT_EQ(serverCount("SELECT count(*) FROM point_block"), from > 0 ? 5 : 1);
    }
}

// A slow sweep goes over a point a round, as it is measured; once it ended, its blocks of a
// point each give way to one.
TEST_F(ServerMirrorTest, ASlowSweepEndsUpInOneBlock) {
    QTemporaryDir bench;
    makeBenchFile(bench);
    MirrorWorker worker(settings(bench, server_->url(name_)));
    catchUp(worker);
    for (int idx = 1; idx <= 5; ++idx) {
        onBench(bench, [idx](QSqlDatabase& local) {
            if (idx == 1) {
                exec(local, QStringLiteral("INSERT INTO measurement (id, kind, started) VALUES "
                                           "(2, 'lcr', '2026-12-07T12:00:00.000')"));
            }
            exec(local,
                 QStringLiteral("INSERT INTO point (measurement_id, segment, idx, x, y, t) "
                                "VALUES (2, 1, ?, ?, 1e-9, 0.5)"),
                 {idx, 100.0 * idx});
        });
        worker.step();
    }
    EXPECT_EQ(serverCount("SELECT count(*) FROM point_block WHERE measurement_id = 2"), 5);
    onBench(bench, [](QSqlDatabase& local) {
        exec(local, QStringLiteral("UPDATE measurement SET ended = '2026-12-07T12:01:00.000' "
                                   "WHERE id = 2"));
    });
    worker.step();
    EXPECT_TRUE(worker.state().inStep());
    EXPECT_EQ(serverCount("SELECT count(*) FROM point_block WHERE measurement_id = 2"), 1);
    expectSameAsBench(journal(bench));
}

// A thermocouple record's temperature is left out where the server computes it from the
// volts and the reference to the same number; a block with one other number keeps its own.
TEST_F(ServerMirrorTest, AThermocoupleTemperatureTheServerComputesAlikeStaysOutOfItsBlock) {
    QTemporaryDir bench;
    makeBenchFile(bench);
    onBench(bench, [](QSqlDatabase& local) {
        for (const int id : {2, 3}) {
            exec(local,
                 QStringLiteral("INSERT INTO measurement (id, kind, started) VALUES "
                                "(?, 'thermocouple', '2026-12-07T12:00:00.000')"),
                 {id});
            for (int i = 1; i <= 1200; ++i) {
                // Both signs, no real root (-1), and a missing reading.
                const double volts = i == 5 ? -0.05 : (i % 2 ? 1 : -1) * 1.37e-5 * i;
                const double reference = 250 + 0.173 * i;
                double kelvin = thermo::thermocoupleTemperature(volts, reference);
                if (id == 3 && i == 1100) {
                    kelvin = std::nextafter(kelvin, 0.0);
                }
                const QVariant none(QMetaType::fromType<double>());
                exec(local,
                     QStringLiteral("INSERT INTO point (measurement_id, segment, idx, x, z, w, t) "
                                    "VALUES (?, 1, ?, ?, ?, ?, 0.5)"),
                     {id, i, i == 7 ? none : QVariant(volts), reference,
                      i == 7 ? none : QVariant(kelvin)});
            }
        }
    });
    MirrorWorker worker(settings(bench, server_->url(name_)));
    catchUp(worker);
    EXPECT_TRUE(worker.state().inStep()) << worker.state().problem.toStdString();
    expectSameAsBench(journal(bench));
    EXPECT_EQ(
        rows(db_, QStringLiteral("SELECT measurement_id || ' ' || first || ' ' || "
                                 "(w IS NULL) || ' ' || coalesce(w_derived, false) "
                                 "FROM point_block WHERE measurement_id > 1 "
                                 "ORDER BY measurement_id, first")),
        QStringList({"2 1 true true", "2 1001 true true", "3 1 true true", "3 1001 false false"}));
}

// Until the server answers, the status counts what the server lacks: everything for a server
// never reached, nothing more once it took it all.
TEST_F(ServerMirrorTest, AServerAwayAtTheStartLeavesWhatItLacksCountedAsWaiting) {
    QTemporaryDir bench;
    makeBenchFile(bench);
    const QString away = QStringLiteral("postgresql://lab@%2Fnonexistent/tarvix");
    const struct {
        QString url;
        MirrorState::Link link;
        qint64 pointsWaiting;
    } steps[] = {
        {away, MirrorState::Link::Unreachable, 2},
        {server_->url(name_), MirrorState::Link::Connected, 0},
        {away, MirrorState::Link::Unreachable, 0},
    };
    for (const auto& step : steps) {
        MirrorWorker worker(settings(bench, step.url));
        for (int round = 0; round < 3 && !worker.state().inStep(); ++round) {
            worker.step();
        }
        EXPECT_EQ(worker.state().link, step.link) << step.url.toStdString();
        EXPECT_EQ(worker.state().pointsWaiting, step.pointsWaiting) << step.url.toStdString();
        EXPECT_EQ(worker.state().problem.isEmpty(), step.link == MirrorState::Link::Connected);
    }
}

// Tables of a later program are not this program's to write: the bench keeps measuring into
// its own file and says the server is not used.
TEST_F(ServerMirrorTest, TablesOfALaterVersionAreLeftAlone) {
    QString why;
    ASSERT_TRUE(ServerSchema::upgrade(db_, &why)) << why.toStdString();
    ASSERT_TRUE(QSqlQuery(db_).exec(QStringLiteral("INSERT INTO schema_version (version) "
                                                   "VALUES (%1)")
                                        .arg(ServerSchema::kCurrentVersion + 1)));
    QTemporaryDir bench;
    makeBenchFile(bench);
    MirrorWorker worker(settings(bench, server_->url(name_)));
    worker.step();
    EXPECT_EQ(worker.state().link, MirrorState::Link::Refused);
    EXPECT_TRUE(worker.state().problem.contains(QStringLiteral("later version")))
        << worker.state().problem.toStdString();
    EXPECT_EQ(serverCount("SELECT count(*) FROM bench"), 0);
}

// A sweep of about twelve seconds; the database's status is printed every half second while
// it runs, then every second for a while.
QString cableRecipe() {
    QString recipe;
    for (int ms = 500; ms <= 11000; ms += 500) {
        recipe += QStringLiteral("later %1 print StatusDatabase\n").arg(ms);
    }
    recipe += kSweep.arg(250).arg(4);
    for (int second = 0; second < 5; ++second) {
        recipe += QStringLiteral("wait 1000\nprint StatusDatabase\n");
    }
    return recipe;
}

QStringList statusLines(const QString& output) {
    return output.split('\n').filter(QRegularExpression(QStringLiteral("^StatusDatabase: ")));
}

// Two benches reach one server over the network, each through its own relay. The first one's
// link is cut in the middle of its sweep and restored: the server ends with every point of
// both, once, and the cut bench's status line said it was behind meanwhile.
TEST_F(ServerMirrorTest, ABenchCutOffMidSweepCatchesUpOnceTheLinkIsBack) {
    const struct {
        const char* how;
        void (*cut)(TcpProxy&);
        bool (*restore)(TcpProxy&);
    } cuts[] = {
        {"cable pulled and plugged back", [](TcpProxy& link) { link.freeze(); },
         [](TcpProxy& link) {
             link.thaw();
             return true;
         }},
        {"router restarted", [](TcpProxy& link) { link.kill(); },
         [](TcpProxy& link) { return link.start(); }},
    };
    for (const auto& cut : cuts) {
        SCOPED_TRACE(cut.how);
        if (&cut != cuts) {
            TearDown();
            SetUp();
        }
        TcpProxy links[] = {TcpProxy(server_->port()), TcpProxy(server_->port())};
        QTemporaryDir benches[2];
        QProcess programs[2];
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(links[i].start());
            ASSERT_NO_FATAL_FAILURE(start(programs[i], benches[i], cableRecipe(),
                                          QStringLiteral("sim:noise=0,latency=2"),
                                          networkUrl(links[i].port())));
        }
        waitFor([&] { return serverCount("SELECT count(DISTINCT bench) FROM point") == 2; },
                "first points of both benches");
        cut.cut(links[0]);
        const qint64 whenCut = localCount(benches[0]);
        QThread::msleep(6500);
        EXPECT_GT(localCount(benches[0]), whenCut + 300) << "the sweep went on";
        ASSERT_TRUE(cut.restore(links[0]));
        const QString outputs[] = {finish(programs[0]), finish(programs[1])};
        EXPECT_FALSE(statusLines(outputs[0]).filter(", not reachable, ").isEmpty())
            << outputs[0].toStdString();
        for (const QString& output : outputs) {
            EXPECT_TRUE(
                statusLines(output).value(statusLines(output).size() - 1).endsWith(", in step"))
                << output.toStdString();
        }
        EXPECT_EQ(serverCount("SELECT count(*) FROM point"),
                  localCount(benches[0]) + localCount(benches[1]));
        expectSameAsBench(journal(benches[0]));
        expectSameAsBench(journal(benches[1]));
    }
}

// Text PostgreSQL cannot hold arrives with U+FFFD for each NUL; a measurement the server
// still refuses (here by a rule of the lab's own) is set aside with the server's words, on
// the server, and everything else arrives.
TEST_F(ServerMirrorTest, ANulIsStoredAsReplacementAndARefusedMeasurementNeverBlocksTheRest) {
    QString why;
    ASSERT_TRUE(ServerSchema::upgrade(db_, &why)) << why.toStdString();
    exec(db_, QStringLiteral("ALTER TABLE measurement ADD CONSTRAINT no_refused "
                             "CHECK (comment <> 'refused')"));
    QTemporaryDir bench;
    makeBenchFile(bench);
    onBench(bench, [](QSqlDatabase& local) {
        for (const QString& comment :
             {QStringLiteral("A7"), QStringLiteral("refused"), QStringLiteral("B2")}) {
            exec(local,
                 QStringLiteral("INSERT INTO measurement (kind, started, ended, state, comment) "
                                "VALUES ('lcr', '2026-12-07T11:00:00.000', "
                                "'2026-12-07T11:01:00.000', 'saved', ?)"),
                 {comment == QLatin1String("A7") ? QStringLiteral("A7 \0 left") : comment});
            exec(local, QStringLiteral("INSERT INTO point (measurement_id, segment, idx, x, y) "
                                       "SELECT max(id), 1, 1, 5, 6 FROM measurement"));
        }
        exec(local, QStringLiteral("UPDATE context SET value = ? WHERE key = 'points'"),
             {QStringLiteral("nul\0here")});
    });
    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(start);
        MirrorWorker worker(settings(bench, server_->url(name_)));
        catchUp(worker);
        EXPECT_EQ(worker.state().link, MirrorState::Link::Connected);
        EXPECT_EQ(databaseServerText(QStringLiteral("S"), worker.state()),
                  QStringLiteral("Database: S, 1 measurement rejected by the server: new row for "
                                 "relation \"measurement\" violates check constraint "
                                 "\"no_refused\""));
    }
    EXPECT_EQ(rows(db_, QStringLiteral("SELECT id || '|' || comment FROM measurement ORDER BY id")),
              QStringList({"1|C3", QStringLiteral("2|A7 \uFFFD left"), "4|B2"}));
    EXPECT_EQ(rows(db_, QStringLiteral("SELECT value FROM context WHERE key = 'points'")),
              QStringList({QStringLiteral("nul\uFFFDhere")}));
    EXPECT_EQ(rows(db_, QStringLiteral("SELECT measurement_id FROM point ORDER BY 1")),
              QStringList({"1", "1", "2", "4"}));
    EXPECT_EQ(rows(db_, QStringLiteral("SELECT measurement_id FROM rejected")), QStringList({"3"}));
    // Once the lab lifts its rule and the measurement changes, it goes over and is no longer
    // set aside.
    exec(db_, QStringLiteral("ALTER TABLE measurement DROP CONSTRAINT no_refused"));
    onBench(bench, [](QSqlDatabase& local) {
        exec(local, QStringLiteral("UPDATE measurement SET state = 'deleted' WHERE id = 3"));
    });
    MirrorWorker worker(settings(bench, server_->url(name_)));
    catchUp(worker);
    EXPECT_TRUE(worker.state().inStep()) << worker.state().rejection.toStdString();
    EXPECT_EQ(serverCount("SELECT count(*) FROM rejected"), 0);
    EXPECT_EQ(serverCount("SELECT count(*) FROM point"), 5);
}

// A server that answers but will not take the bench says why on the status line.
TEST_F(ServerMirrorTest, AServerThatRefusesTheBenchSaysWhyInsteadOfNotReachable) {
    QSqlQuery(db_).exec(QStringLiteral("CREATE ROLE guest LOGIN"));
    QTemporaryDir bench;
    makeBenchFile(bench);
    const QString socket = QString::fromUtf8(QUrl::toPercentEncoding(server_->socket()));
    const auto url = [&](const char* user, const QString& name) {
        return QStringLiteral("postgresql://%1@%2:%3/%4")
            .arg(QLatin1String(user), socket, QString::number(server_->port()), name);
    };
    const struct {
        QString url;
        const char* said;
    } cases[] = {
        {url("nobody", name_), "role nobody does not exist"},
        {url("lab", QStringLiteral("tarvix")), "database tarvix does not exist"},
        {url("guest", name_), "permission denied to create tables"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.said);
        MirrorWorker worker(settings(bench, test.url));
        worker.step();
        EXPECT_EQ(worker.state().link, MirrorState::Link::Denied);
        EXPECT_EQ(
            databaseServerText(QStringLiteral("S"), worker.state()),
            QStringLiteral("Database: S, %1, 2 points waiting").arg(QLatin1String(test.said)));
    }
}

// A bench's folder copied to another one: both measure into the same server, the copy under an
// identity of its own that it takes with a message, and neither writes over the other's rows.
TEST_F(ServerMirrorTest, ACopiedFolderMeasuresBesideItsOriginalWithoutTouchingItsRows) {
    QTemporaryDir original;
    QProcess first;
    ASSERT_NO_FATAL_FAILURE(start(first, original, kSweep.arg(30).arg(1)));
    finish(first);
    QTemporaryDir copy;
    for (const QString& name : QDir(original.path()).entryList(QDir::Files)) {
        ASSERT_TRUE(QFile::copy(original.filePath(name), copy.filePath(name)));
    }
    QProcess programs[2];
    ASSERT_NO_FATAL_FAILURE(start(programs[0], original, kSweep.arg(40).arg(1)));
    ASSERT_NO_FATAL_FAILURE(start(programs[1], copy, kSweep.arg(50).arg(1)));
    const QString outputs[] = {finish(programs[0]), finish(programs[1])};
    EXPECT_FALSE(outputs[0].contains(QStringLiteral("is a copy of"))) << outputs[0].toStdString();
    EXPECT_TRUE(
        outputs[1].contains(QStringLiteral("message: The measurement database %1 is a copy of %2.")
                                .arg(QFileInfo(journal(copy)).canonicalFilePath(),
                                     QFileInfo(journal(original)).canonicalFilePath())))
        << outputs[1].toStdString();
    EXPECT_EQ(serverCount("SELECT count(*) FROM bench"), 2);
    EXPECT_EQ(serverCount("SELECT count(*) FROM point"), localCount(original) + localCount(copy));
    expectSameAsBench(journal(original));
    expectSameAsBench(journal(copy));
}

// A statement slower than the watchdog's patience loses its connection; a quicker one not.
TEST_F(ServerMirrorTest, TheWatchdogCutsOnlyAStatementThatOutwaitsItsPatience) {
    const struct {
        const char* sleep;
        bool cut;
    } statements[] = {{"0.5", false}, {"1.5", true}};
    for (const auto& statement : statements) {
        SCOPED_TRACE(statement.sleep);
        {
            QSqlDatabase watched = server_->open(name_, QStringLiteral("watched"));
            ServerWatchdog watchdog(std::chrono::milliseconds(1000));
            watchdog.watch(watched);
            {
                const ServerWatchdog::Wait wait(watchdog);
                EXPECT_EQ(QSqlQuery(watched).exec(
                              QStringLiteral("SELECT pg_sleep(%1)").arg(statement.sleep)),
                          !statement.cut);
            }
            EXPECT_EQ(watchdog.cut(), statement.cut);
            watchdog.release();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("watched"));
    }
}

// The window closes in seconds when the cable is out while a round waits for the server;
// what was not sent goes at the next start.
TEST_F(ServerMirrorTest, ClosingWithTheCablePulledEndsInSecondsAndSendsTheRestNextTime) {
    QTemporaryDir bench;
    makeBenchFile(bench);
    TcpProxy link(server_->port());
    ASSERT_TRUE(link.start());
    auto mirror = std::make_unique<ServerMirror>(settings(bench, networkUrl(link.port())));
    waitFor([&] { return serverCount("SELECT count(*) FROM point") == 2; }, "first points");
    link.freeze();
    {
        QSqlDatabase local = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "more");
        local.setDatabaseName(journal(bench));
        ASSERT_TRUE(local.open());
        for (const char* statement :
             {"INSERT INTO measurement (kind, started, state) VALUES "
              "('lcr', '2026-12-07T11:00:00.000', 'unsaved')",
              "INSERT INTO segment VALUES (2, 1, '')",
              "INSERT INTO point (measurement_id, segment, idx, x, y, z, w, t) "
              "VALUES (2, 1, 1, 100, 3e-9, NULL, NULL, NULL)"}) {
            ASSERT_TRUE(QSqlQuery(local).exec(QString::fromLatin1(statement))) << statement;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("more"));
    // The next round is under way and waits for an answer.
    QThread::msleep(2000);
    // Without a limit the close would wait for the cable: it comes back, late.
    std::atomic<bool> closedYet = false;
    std::thread plugBack([&] {
        for (int waited = 0; waited < 20000 && !closedYet; waited += 50) {
            QThread::msleep(50);
        }
        link.thaw();
    });
    QElapsedTimer closing;
    closing.start();
    mirror.reset();
    const qint64 closed = closing.elapsed();
    closedYet = true;
    plugBack.join();
    EXPECT_LT(closed, 7000);
    EXPECT_EQ(serverCount("SELECT count(*) FROM point"), 2);
    MirrorWorker next(settings(bench, server_->url(name_)));
    for (int round = 0; round < 3 && !next.state().inStep(); ++round) {
        next.step();
    }
    expectSameAsBench(journal(bench));
}

}  // namespace
}  // namespace tarvix::mirror
