// SPDX-License-Identifier: GPL-3.0-or-later
// The lab's server under load: N benches measure I-V sweeps, four-probe or thermocouple
// records or LCR sweeps (or a mix of them) into their own databases at a given rate while their
// mirrors copy them into one PostgreSQL 15 server this program starts (as the tests do). For each N
// it prints points/s arrived, rows inserted and updated, write-ahead log, server CPU and disk per
// point, the time to be in step after the last point, and whether every local point is on the
// server once with the same value. Then it fills the server to 16 million points and times the
// documented queries through the `point` view.
//
//   lab_database_load [N...] [--seconds S] [--rate POINTS_PER_S] [--query-points M]
//                     [--kind iv|four-probe|thermocouple|lcr|mix]

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "journal/JournalDatabase.h"
#include "mirror/ServerMirror.h"
#include "support/TestServer.h"
#include "thermo/ThermocoupleConversion.h"

namespace {

using namespace tarvix;
using testing::TestServer;

constexpr int kSegments = 4;
constexpr int kPointsPerSegment = 250;

// What a bench measures: its kind, the segments of a measurement and the points of each.
struct Kind {
    QString name;
    int segments = 1;
    int points = 0;
};

const Kind kKinds[] = {{QStringLiteral("iv"), kSegments, kPointsPerSegment},
                       {QStringLiteral("four-probe"), 1, 1000},
                       {QStringLiteral("thermocouple"), 1, 1000},
                       {QStringLiteral("lcr"), 1, 400}};

std::optional<Kind> kindNamed(const QString& name) {
    for (const Kind& kind : kKinds) {
        if (kind.name == name) {
            return kind;
        }
    }
    return std::nullopt;
}

// The columns x, y, z, w as the program fills them for a kind, from the point's index, its
// segment and a reading's noise; a null for a column the kind does not measure.
QVariantList values(const QString& kind, int idx, int segment, double noise) {
    const QVariant none(QMetaType::fromType<double>());
    if (kind == QLatin1String("four-probe")) {
        // Celsius from the meter's kelvin, ohms as the meter gave them.
        const double kelvin = std::round((77 + idx * 0.2 + noise) * 1e4) / 1e4;
        return {thermo::kelvinToCelsius(kelvin),
                std::round((100 + 50 * std::sin(idx * 0.01) + noise) * 1e6) / 1e6, none, none};
    }
    if (kind == QLatin1String("thermocouple")) {
        const double volts = std::round((1e-3 * std::sin(idx * 0.003) + 1e-6 * noise) * 1e9) / 1e9;
        const double reference =
            std::round((296.15 + 0.02 * std::sin(idx * 0.7) + 1e-4 * noise) * 1e4) / 1e4;
        // The resistances as a program that ran no four-probe record before holds them.
        return {volts, 0.0, reference, thermo::thermocoupleTemperature(volts, reference)};
    }
    if (kind == QLatin1String("lcr")) {
        // The frequency as the program sends it (two decimals), the meter's two readings.
        const double hertz = std::round(std::pow(10.0, 1 + idx * 0.01) * 100) / 100;
        return {hertz, 1.6333e-9 * std::cos(hertz / 100) + 1e-13 * noise,
                10.45 * std::sin(hertz / 100) + 1e-5 * noise, none};
    }
    return {idx * 0.01 - 1.25, 1e-6 * std::sin(idx * 0.37 + segment) + 1e-9 * noise, none, none};
}

double scalar(QSqlDatabase& db, const QString& select) {
    QSqlQuery query(db);
    if (!query.exec(select) || !query.next()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(select), qPrintable(query.lastError().text()));
        return -1;
    }
    return query.value(0).toDouble();
}

// CPU seconds of the server: its postmaster and every process it started, but for the
// connection that watches (`watcher`).
double serverCpu(const QString& dataDir, qint64 watcher) {
    QFile pidFile(dataDir + QStringLiteral("/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const qint64 postmaster = QString::fromLatin1(pidFile.readLine()).trimmed().toLongLong();
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    double seconds = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QString line = QString::fromLatin1(stat.readAll());
        const QStringList fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 13 && pid.toLongLong() != watcher &&
            (pid.toLongLong() == postmaster || fields[1].toLongLong() == postmaster)) {
            seconds += (fields[11].toDouble() + fields[12].toDouble()) / tick;
        }
    }
    return seconds;
}

// One simulated bench: its own database and the I-V sweeps written into it.
class Bench {
  public:
    Bench(int number, Kind kind) : name_(QStringLiteral("fill-%1").arg(number)), kind_(kind) {
        {
            journal::JournalDatabase journal;
            QString notice;
            journal.open(dir_.path(), &notice);
        }
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db_.setDatabaseName(file());
        db_.open();
        QSqlQuery(db_).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    }
    QString file() const {
        return dir_.filePath(QString::fromLatin1(journal::JournalDatabase::kFileName));
    }
    // Measures `count` more points as the program does: one transaction per batch.
    void measure(int count) {
        db_.transaction();
        QSqlQuery point(db_);
        point.prepare(
            QStringLiteral("INSERT INTO point (measurement_id, segment, idx, x, y, z, w, t) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; i < count; ++i) {
            if (idx_ == 0) {
                startSegment();
            }
            ++idx_;
            const QTime now = QTime::currentTime();
            point.addBindValue(id_);
            point.addBindValue(segment_);
            point.addBindValue(idx_);
            for (const QVariant& value : values(kind_.name, idx_, segment_, now.msec() % 7)) {
                point.addBindValue(value);
            }
            point.addBindValue(now.msecsSinceStartOfDay() / 86400000.0);
            point.exec();
            ++points_;
            if (idx_ == kind_.points) {
                endSegment();
            }
        }
        db_.commit();
    }
    void finishMeasurement() {
        if (id_ > 0) {
            run(QStringLiteral("UPDATE measurement SET ended = ?, state = 'saved' WHERE id = ?"),
                {now(), id_});
        }
    }
    qint64 points() const { return points_; }
    QSqlDatabase& db() { return db_; }
    void close() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }

  private:
    static QString now() { return QDateTime::currentDateTime().toString(Qt::ISODateWithMs); }
    void run(const QString& statement, const QVariantList& values) {
        QSqlQuery query(db_);
        query.prepare(statement);
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        query.exec();
    }
    void startSegment() {
        if (segment_ == 0 || segment_ == kind_.segments) {
            finishMeasurement();
            run(QStringLiteral("INSERT INTO measurement (kind, started, comment) VALUES "
                               "(?, ?, 'sample A7')"),
                {kind_.name, now()});
            QSqlQuery last(db_);
            last.exec(QStringLiteral("SELECT max(id) FROM measurement"));
            last.next();
            id_ = last.value(0).toLongLong();
            for (const char* key : {"regime", "steps", "velocity", "compliance", "model"}) {
                run(QStringLiteral("INSERT INTO context VALUES (?, ?, ?)"),
                    {id_, QLatin1String(key), QStringLiteral("value of %1").arg(key)});
            }
            segment_ = 0;
        }
        ++segment_;
        run(QStringLiteral("INSERT OR REPLACE INTO segment VALUES (?, ?, ?)"),
            {id_, segment_, QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))});
    }
    void endSegment() {
        run(QStringLiteral("INSERT OR REPLACE INTO segment VALUES (?, ?, ?)"),
            {id_, segment_, QTime::currentTime().toString(QStringLiteral("HH:mm:ss/250ms"))});
        idx_ = 0;
    }

    QTemporaryDir dir_;
    QString name_;
    Kind kind_;
    QSqlDatabase db_;
    qint64 id_ = 0;
    int segment_ = 0;
    int idx_ = 0;
    qint64 points_ = 0;
};

// Every local point is on the server once, with the same values.
bool sameOnServer(Bench& bench, QSqlDatabase& server) {
    QSqlQuery id(bench.db());
    id.exec(QStringLiteral("SELECT id FROM bench"));
    id.next();
    const QString select = QStringLiteral(
        "SELECT measurement_id, segment, idx, x, y, z, w, t FROM point %1 ORDER BY 1, 2, 3");
    QSqlQuery local(bench.db());
    local.exec(select.arg(QString()));
    QSqlQuery remote(server);
    remote.exec(select.arg(QStringLiteral("WHERE bench = '%1'").arg(id.value(0).toString())));
    while (local.next()) {
        if (!remote.next()) {
            return false;
        }
        for (int column = 0; column < 8; ++column) {
            if (local.value(column).isNull() != remote.value(column).isNull() ||
                local.value(column).toDouble() != remote.value(column).toDouble()) {
                return false;
            }
        }
    }
    return !remote.next();
}

// The server's disk: its tables with their indexes and out-of-line storage, and the point
// blocks alone.
struct Disk {
    double all = 0, points = 0;
};

Disk disk(QSqlDatabase& db) {
    return {scalar(db, QStringLiteral("SELECT sum(pg_total_relation_size(c.oid)) FROM pg_class c "
                                      "JOIN pg_namespace n ON n.oid = c.relnamespace "
                                      "WHERE n.nspname = 'public' AND c.relkind = 'r'")),
            scalar(db, QStringLiteral("SELECT coalesce(sum(pg_total_relation_size(inhrelid)), 0) "
                                      "FROM pg_inherits "
                                      "WHERE inhparent = 'point_block'::regclass"))};
}

struct Totals {
    double wal = 0, cpu = 0, inserts = 0, updates = 0;
};

Totals totals(QSqlDatabase& db, const QString& dataDir, qint64 watcher) {
    QSqlQuery(db).exec(QStringLiteral("SELECT pg_stat_clear_snapshot()"));
    return {
        scalar(db, QStringLiteral("SELECT pg_current_wal_lsn() - '0/0'::pg_lsn")),
        serverCpu(dataDir, watcher),
        scalar(db, QStringLiteral("SELECT coalesce(sum(n_tup_ins), 0) FROM pg_stat_user_tables")),
        scalar(db, QStringLiteral("SELECT coalesce(sum(n_tup_upd), 0) FROM pg_stat_user_tables"))};
}

void loadRun(TestServer& server, const QString& dataDir, int benches, int seconds, int rate,
             const QString& kind) {
    const QString name = server.createDatabase();
    QSqlDatabase db = server.open(name, QStringLiteral("watch-") + name);
    std::vector<std::unique_ptr<Bench>> filled;
    std::vector<std::unique_ptr<mirror::ServerMirror>> mirrors;
    std::vector<mirror::MirrorState> states(static_cast<size_t>(benches));
    QStringList problems;
    QString why;
    for (int i = 0; i < benches; ++i) {
        // A mix gives the benches the kinds in turn.
        const Kind of =
            kind == QLatin1String("mix") ? kKinds[i % std::size(kKinds)] : *kindNamed(kind);
        filled.push_back(std::make_unique<Bench>(i, of));
        mirror::MirrorSettings settings{*mirror::ServerAddress::parse(server.url(name), &why),
                                        filled.back()->file(), QStringLiteral("bench-%1").arg(i)};
        mirrors.push_back(std::make_unique<mirror::ServerMirror>(settings));
        QObject::connect(mirrors.back().get(), &mirror::ServerMirror::stateChanged,
                         [&states, &problems, i](const mirror::MirrorState& state) {
                             states[static_cast<size_t>(i)] = state;
                             if (!state.problem.isEmpty()) {
                                 problems << state.problem;
                             }
                         });
    }
    const auto allInStep = [&] {
        QCoreApplication::processEvents();
        for (const auto& state : states) {
            if (!state.inStep()) {
                return false;
            }
        }
        return true;
    };
    while (!allInStep()) {
        QThread::msleep(20);
    }
    const auto watcher = static_cast<qint64>(scalar(db, QStringLiteral("SELECT pg_backend_pid()")));
    // The month's partition is there before the first point, so that the growth is the
    // points' own.
    scalar(db, QStringLiteral("SELECT count(*) FROM (SELECT point_month(current_date)) AS made"));
    const Disk empty = disk(db);
    const Totals before = totals(db, dataDir, watcher);
    QElapsedTimer clock;
    clock.start();
    constexpr int kTickMs = 50;
    qint64 due = 0;
    while (clock.elapsed() < seconds * 1000LL) {
        const qint64 target = clock.elapsed() * rate / 1000;
        for (auto& bench : filled) {
            bench->measure(static_cast<int>(target - due));
        }
        due = target;
        QCoreApplication::processEvents();
        QThread::msleep(kTickMs);
    }
    for (auto& bench : filled) {
        bench->finishMeasurement();
    }
    const qint64 lastPoint = clock.elapsed();
    qint64 points = 0;
    for (auto& bench : filled) {
        points += bench->points();
    }
    // In step: the server holds every point and every measurement's end.
    const QString held = QStringLiteral(
                             "SELECT (SELECT sum(cardinality(x)) FROM point_block) = %1 AND NOT "
                             "EXISTS (SELECT 1 FROM measurement "
                             "WHERE ended IS NULL)")
                             .arg(points);
    while (scalar(db, held) != 1 && clock.elapsed() < lastPoint + 120000) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    const qint64 inStep = clock.elapsed();
    const double cpu = serverCpu(dataDir, watcher) - before.cpu;
    mirrors.clear();
    QThread::msleep(1500);
    const Totals after = totals(db, dataDir, watcher);
    bool same = true;
    for (auto& bench : filled) {
        same = sameOnServer(*bench, db) && same;
    }
    const Disk grown = disk(db);
    const double p = static_cast<double>(points);
    std::printf(
        "%s N=%-3d points=%-8lld arrived %.0f points/s  inserts %.4f/point  updates %.4f %%  "
        "WAL %.1f B/point  server CPU %.2f us/point  disk growth %.1f B/point (points alone %.1f)  "
        "in step %.2f s after the last point  every point once, same value: %s\n",
        qPrintable(kind), benches, static_cast<long long>(points), p / (inStep / 1000.0),
        (after.inserts - before.inserts) / p, 100 * (after.updates - before.updates) / p,
        (after.wal - before.wal) / p, 1e6 * cpu / p, (grown.all - empty.all) / p,
        (grown.points - empty.points) / p, (inStep - lastPoint) / 1000.0, same ? "yes" : "NO");
    problems.removeDuplicates();
    for (const QString& problem : problems) {
        std::printf("  the server was away once: %s\n", qPrintable(problem));
    }
    std::fflush(stdout);
    for (auto& bench : filled) {
        bench->close();
    }
    db.close();
}

// 16 million points of one bench, in measurements of 4 x 250 points, 96 of them of sample
// A7; then the documented queries, each timed on a warm cache.
void queryRun(TestServer& server, qint64 points) {
    const QString name = server.createDatabase();
    QSqlDatabase db = server.open(name, QStringLiteral("query-") + name);
    {
        // The tables as a bench makes them.
        QTemporaryDir dir;
        Bench bench(-1, kKinds[0]);
        QString why;
        mirror::MirrorSettings settings{*mirror::ServerAddress::parse(server.url(name), &why),
                                        bench.file(), QStringLiteral("bench")};
        bench.measure(1);
        {
            mirror::ServerMirror mirror(settings);
            QThread::msleep(3000);
        }
        bench.close();
    }
    const qint64 measurements = points / (kSegments * kPointsPerSegment);
    QElapsedTimer fill;
    fill.start();
    for (const QString& statement :
         {QStringLiteral("INSERT INTO measurement (bench, id, kind, started, ended, state, "
                         "comment) SELECT (SELECT id FROM bench), 1000 + m, 'iv', "
                         "'2026-12-01'::timestamp + m * interval '1 minute', NULL, 'saved', "
                         "CASE WHEN m % %1 = 0 THEN 'sample A7' ELSE 'sample ' || m END "
                         "FROM generate_series(1, %2) AS m")
              .arg(measurements / 96)
              .arg(measurements),
          QStringLiteral(
              "INSERT INTO point_block (bench, measurement_id, segment, first, month, "
              "x, y, t_ms) SELECT (SELECT id FROM bench), 1000 + m, s, 1, "
              "'2026-12-01', (SELECT array_agg(i * 0.01) FROM generate_series(1, %1) i), "
              "(SELECT array_agg(random() * 1e-6 + i * 0 + m * 0 + s * 0) FROM generate_series(1, "
              "%1) i), "
              "(SELECT array_agg(36000000 + i * 100 + m * 0 + s * 0) FROM generate_series(1, %1) "
              "i) "
              "FROM generate_series(1, %2) AS m, generate_series(1, %3) AS s")
              .arg(kPointsPerSegment)
              .arg(measurements)
              .arg(kSegments),
          QStringLiteral("VACUUM ANALYZE")}) {
        QSqlQuery query(db);
        if (!query.exec(statement)) {
            std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
            return;
        }
    }
    std::printf("filled %.0f points in %.1f s\n",
                scalar(db, QStringLiteral("SELECT count(*) FROM point")), fill.elapsed() / 1000.0);
    const struct {
        const char* what;
        QString select;
    } queries[] = {
        {"one series (all its points)",
         QStringLiteral("SELECT segment, idx, x AS voltage, y AS current FROM point "
                        "WHERE bench = (SELECT id FROM bench) AND measurement_id = %1 "
                        "ORDER BY segment, idx")
             .arg(1000 + measurements / 2)},
        {"the measurements of sample A7 with their counts",
         QStringLiteral("SELECT b.host, m.bench, m.id, m.kind, m.started, m.comment, "
                        "count(p.idx) FROM measurement m JOIN bench b ON b.id = m.bench "
                        "LEFT JOIN point p ON p.bench = m.bench AND p.measurement_id = m.id "
                        "WHERE m.comment ILIKE '%A7%' GROUP BY b.host, m.bench, m.id "
                        "ORDER BY m.started")},
        {"every point of the 96 measurements of sample A7",
         QStringLiteral("SELECT p.* FROM measurement m JOIN point p ON p.bench = m.bench "
                        "AND p.measurement_id = m.id WHERE m.comment ILIKE '%A7%' "
                        "ORDER BY p.measurement_id, p.segment, p.idx")},
    };
    for (const auto& query : queries) {
        double best = 1e9;
        qint64 rows = 0;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer timer;
            timer.start();
            QSqlQuery run(db);
            run.setForwardOnly(true);
            run.exec(query.select);
            rows = 0;
            while (run.next()) {
                ++rows;
            }
            best = std::min(best, timer.nsecsElapsed() / 1e6);
        }
        QSqlQuery plan(db);
        plan.exec(QStringLiteral("EXPLAIN (ANALYZE, TIMING OFF) ") + query.select);
        QString executed;
        while (plan.next()) {
            executed = plan.value(0).toString();
        }
        std::printf("%-50s %8lld rows  %.1f ms (%s)\n", query.what, static_cast<long long>(rows),
                    best, qPrintable(executed.trimmed()));
        if (qEnvironmentVariableIsSet("LAB_LOAD_PLANS")) {
            plan.exec(QStringLiteral("EXPLAIN ANALYZE ") + query.select);
            while (plan.next()) {
                std::printf("  %s\n", qPrintable(plan.value(0).toString()));
            }
        }
    }
    std::printf(
        "point storage: %.1f B/point\n",
        scalar(db, QStringLiteral("SELECT sum(pg_total_relation_size(inhrelid)) FROM "
                                  "pg_inherits WHERE inhparent = 'point_block'::regclass")) /
            static_cast<double>(measurements * kSegments * kPointsPerSegment));
    db.close();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<int> counts;
    int seconds = 15;
    int rate = 200;
    qint64 queryPoints = 16000000;
    QString kind = QStringLiteral("iv");
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds")) {
            seconds = args.value(++i).toInt();
        } else if (args[i] == QLatin1String("--rate")) {
            rate = args.value(++i).toInt();
        } else if (args[i] == QLatin1String("--kind")) {
            kind = args.value(++i);
            if (!kindNamed(kind) && kind != QLatin1String("mix")) {
                std::fprintf(stderr, "no kind %s: iv, four-probe, thermocouple, lcr or mix\n",
                             qPrintable(kind));
                return 2;
            }
        } else if (args[i] == QLatin1String("--query-points")) {
            queryPoints = args.value(++i).toLongLong();
        } else {
            counts.push_back(args[i].toInt());
        }
    }
    if (counts.empty()) {
        counts = {1, 5, 20};
    }
    if (const QString why = TestServer::unavailable(); !why.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    TestServer server;
    QString why;
    if (!server.start(&why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    const QString dataDir = server.socket().section('/', 0, -2) + QStringLiteral("/data");
    std::printf("%d points/s per bench, %d s of measuring per run\n", rate, seconds);
    for (const int n : counts) {
        if (n > 0) {
            loadRun(server, dataDir, n, seconds, rate, kind);
        }
    }
    if (queryPoints > 0) {
        queryRun(server, queryPoints);
    }
    return 0;
}
