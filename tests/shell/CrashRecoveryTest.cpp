// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>

namespace {

// The real program on the simulated bench, killed as a crash or a power cut would end it and
// started again on the same configuration folder.
class CrashRecovery : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!QFile::exists(program())) {
            GTEST_SKIP() << "the program is not built";
        }
    }
    static QString program() { return QStringLiteral(TARVIX_BINARY_DIR "/tarvix"); }
    static QString journal(const QTemporaryDir& dir) {
        return dir.filePath(QStringLiteral("tarvix-journal.sqlite"));
    }

    static void start(QProcess& process, const QTemporaryDir& dir, const QString& recipe,
                      const QString& bus = QStringLiteral("sim:noise=0,latency=1")) {
        static int count = 0;
        const QString file = dir.filePath(QStringLiteral("recipe%1.txt").arg(++count));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(recipe.toUtf8());
        out.close();
        process.start(program(), {"--bus", bus, "--script", file, "--config-dir", dir.path(),
                                  "-platform", "offscreen"});
        ASSERT_TRUE(process.waitForStarted());
    }
    static QString finish(QProcess& process) {
        EXPECT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    static QString run(const QTemporaryDir& dir, const QString& recipe) {
        QProcess process;
        start(process, dir, recipe);
        return finish(process);
    }

    // Points of one kind in the journal, read as any other program would read it.
    static int journaledPoints(const QTemporaryDir& dir, const char* kind, int measurement) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "probe");
        db.setDatabaseName(journal(dir));
        int points = 0;
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral(
                "SELECT count(*) FROM point WHERE measurement_id = (SELECT id FROM measurement "
                "WHERE kind = ? ORDER BY id LIMIT 1 OFFSET ?)"));
            query.addBindValue(QString::fromLatin1(kind));
            query.addBindValue(measurement - 1);
            if (query.exec() && query.next()) {
                points = query.value(0).toInt();
            }
            query.finish();
            db.close();
        }
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("probe");
        return points;
    }
    // A figure the journal gives `query`, read as any other program would read it; -1 when it
    // cannot be read.
    static int figure(const QString& file, const char* sql) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "points");
        db.setDatabaseName(file);
        int points = -1;
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QLatin1String(sql)) && query.next()) {
                points = query.value(0).toInt();
            }
            query.finish();
            db.close();
        }
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("points");
        return points;
    }
    // Takes every byte left on the disk of `file`.
    static void fill(const QString& file) {
        QFile filler(file);
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("x", 1) == 1) {
        }
    }
    static void killWhen(QProcess& process, const std::function<bool()>& ready) {
        QElapsedTimer waited;
        waited.start();
        while (!ready() && waited.elapsed() < 60000) {
            QThread::msleep(50);
        }
        ASSERT_TRUE(ready()) << process.readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        ASSERT_TRUE(process.waitForFinished(10000));
    }
    static void expectIntegrity(const QTemporaryDir& dir) {
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {journal(dir), "PRAGMA integrity_check"});
        if (!sqlite.waitForStarted()) {
            ADD_FAILURE() << "sqlite3 is not installed";
            return;
        }
        ASSERT_TRUE(sqlite.waitForFinished());
        EXPECT_EQ(sqlite.readAllStandardOutput().trimmed(), "ok");
    }
    static QStringList lines(const QString& file) {
        QFile in(file);
        EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << file.toStdString();
        return QString::fromLatin1(in.readAll()).split(QStringLiteral("\r\n"));
    }
};

// The block lines of series n: everything from its first "Volt Current" header to the next
// series', with the label lines (times of day) left out.
QStringList seriesBody(const QStringList& file, int series) {
    QStringList body;
    bool inside = false;
    for (qsizetype i = 3; i < file.size(); ++i) {
        if (file[i].startsWith(QStringLiteral("Volt Current  Series"))) {
            inside = file[i].endsWith(QStringLiteral("-%1").arg(series));
            if (inside) {
                body << file[i];
                ++i;  // the label
            }
            continue;
        }
        if (inside) {
            body << file[i];
        }
    }
    return body;
}

const QString kSweep = QStringLiteral("set Edit41 150\nset Edit61 %1\nclick Button1\n");

TEST_F(CrashRecovery, ASweepKilledMidwayComesBackAndSavesAsAnUninterruptedOne) {
    QTemporaryDir crashed;
    QProcess first;
    start(first, crashed, kSweep.arg(2) + QStringLiteral("wait 60000\n"));
    killWhen(first, [&] { return journaledPoints(crashed, "iv", 2) >= 5; });
    expectIntegrity(crashed);

    const QString output =
        run(crashed, QStringLiteral("print window\nanswer %1\nclick Button5\nprint window\n")
                         .arg(crashed.filePath("recovered.ktl")));
    EXPECT_TRUE(output.contains(QStringLiteral("message: Recovered 2 unsaved series measured on ")))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("window: Tarvix  1.1*\n")));
    EXPECT_TRUE(output.contains(QStringLiteral("window: Tarvix  1.1 - recovered.ktl\n")));
    expectIntegrity(crashed);

    QTemporaryDir whole;
    run(whole, kSweep.arg(1) +
                   QStringLiteral("answer %1\nclick Button5\n").arg(whole.filePath("whole.ktl")));
    const QStringList recovered = lines(crashed.filePath("recovered.ktl"));
    const QStringList reference = lines(whole.filePath("whole.ktl"));
    EXPECT_EQ(seriesBody(recovered, 1), seriesBody(reference, 1));
    // The interrupted repetition holds the points measured before the kill, the same ones.
    const QStringList partial = seriesBody(recovered, 2);
    const qsizetype firstPoint = partial.indexOf(QStringLiteral("   "), 0) + 1;
    ASSERT_GT(partial.size(), firstPoint + 4);
    for (qsizetype i = firstPoint; i < firstPoint + 4; ++i) {
        EXPECT_EQ(partial[i], seriesBody(reference, 1)[i]);
    }
    // Saved: the next start has nothing to bring back.
    const QString after = run(crashed, QStringLiteral("print window\n"));
    EXPECT_FALSE(after.contains(QStringLiteral("Recovered"))) << after.toStdString();
    EXPECT_TRUE(after.contains(QStringLiteral("window: Tarvix  1.1\n")));
}

TEST_F(CrashRecovery, AFourProbeRunKilledMidwayComesBack) {
    QTemporaryDir crashed;
    QProcess first;
    start(first, crashed,
          QStringLiteral("check RadioButton59\nscroll ScrollBar9 1\nclick Button27\nwait 60000\n"));
    killWhen(first, [&] { return journaledPoints(crashed, "four-probe", 1) >= 3; });
    expectIntegrity(crashed);
    const int samples = journaledPoints(crashed, "four-probe", 1);
    const QString output = run(
        crashed,
        QStringLiteral("print Edit54\nanswer %1\nclick Button29\n").arg(crashed.filePath("run")));
    EXPECT_TRUE(output.contains(
        QStringLiteral("message: Recovered an unsaved four-probe record of %1 samples")
            .arg(samples)))
        << output.toStdString();
    // The read-outs show the last sample brought back, as the run had left them.
    EXPECT_TRUE(output.contains(QStringLiteral("Edit54: %1\n").arg(samples)))
        << output.toStdString();
    // Seven header lines and every sample but the last, as any save of the record.
    EXPECT_EQ(lines(crashed.filePath("run.temp")).size(), 7 + samples - 1 + 1);
    expectIntegrity(crashed);
}

// The LCR sweep killed after ten readings: the next start puts its points into the LCR panel
// and the history, its .frq file holds every reading up to the kill, and no temporary file is
// left; the sweep is then saved in that file and does not come back again.
TEST_F(CrashRecovery, AnLcrSweepKilledMidwayComesBack) {
    QTemporaryDir crashed;
    const QString frq = crashed.filePath("sweep.frq");
    QProcess first;
    start(first, crashed,
          QStringLiteral("check RadioButton60\nscroll ScrollBar5 100\nset Edit60 %1\n"
                         "click Button32\nwait 60000\n")
              .arg(crashed.filePath("sweep")),
          QStringLiteral("sim:noise=0,latency=20"));
    killWhen(first, [&] { return journaledPoints(crashed, "lcr", 1) >= 10; });
    expectIntegrity(crashed);
    const int points = journaledPoints(crashed, "lcr", 1);
    ASSERT_LT(points, 100);
    const qsizetype readings = lines(frq).size() - 1;  // each line ends with CR LF
    EXPECT_GE(readings, points);
    EXPECT_LE(readings, points + 1);  // at most the reading of the point being measured
    EXPECT_EQ(QDir(crashed.path()).entryList({"sweep*"}, QDir::Files | QDir::Hidden),
              QStringList{"sweep.frq"});

    const QString output =
        run(crashed, QStringLiteral("print Edit59\nclick HistoryMenuItem\nprint HistoryList\n"));
    EXPECT_TRUE(output.contains(
        QStringLiteral("message: Recovered an LCR sweep of %1 points measured on ").arg(points)))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("its readings are in %1.\n").arg(frq)));
    EXPECT_FALSE(output.contains(QStringLiteral("Edit59: \n")));  // the last point's value
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("\nHistoryList: [-0-9 :]+  lcr  .*  %1 points").arg(points))
                    .match(output)
                    .hasMatch())
        << output.toStdString();
    EXPECT_EQ(lines(frq).size() - 1, readings);  // the file is as the kill left it
    const QString after = run(crashed, QStringLiteral("print window\n"));
    EXPECT_FALSE(after.contains(QStringLiteral("Recovered"))) << after.toStdString();
    expectIntegrity(crashed);
}

// A save past the process's file-size limit fails like a full disk: the program lives on,
// the earlier file stays and no temporary file is left.
TEST_F(CrashRecovery, AFileSizeLimitIsADiskFullMessage) {
    QTemporaryDir dir;
    QFile earlier(dir.filePath("big.ktl"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier\r\n");
    earlier.close();
    const QString recipe = dir.filePath("limit.txt");
    QFile out(recipe);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QStringLiteral("set Edit41 400\nclick Button1\nanswer %1\nclick Button5\n"
                             "print window\n")
                  .arg(dir.filePath("big.ktl"))
                  .toUtf8());
    out.close();
    QProcess process;
    process.start(QStringLiteral("bash"),
                  {"-c",
                   QStringLiteral("ulimit -f 16; exec \"$0\" --bus sim:noise=0,latency=0 "
                                  "--script \"$1\" --config-dir \"$2\" -platform offscreen"),
                   program(), recipe, dir.path()});
    const QString output = finish(process);
    EXPECT_TRUE(output.contains(QStringLiteral("message: Disk full\n"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("window: Tarvix  1.1*\n")));
    QFile kept(dir.filePath("big.ktl"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "earlier\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList({"big*"}, QDir::Files | QDir::Hidden),
              QStringList{"big.ktl"});
}

// The journal on a 256 KB disk of its own (a tmpfs in a mount namespace of the program's own),
// filled up mid-sweep: the program says so once and measures on into memory; room comes back,
// everything held is written, and a kill after that loses no point measured before it.
TEST_F(CrashRecovery, AFullDiskMidSweepLosesNoPointOnceRoomIsBack) {
    for (const char* tool : {"unshare", "nsenter", "sqlite3"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            GTEST_SKIP() << "no " << tool;
        }
    }
    QTemporaryDir config;
    QTemporaryDir mountPoint;
    QTemporaryDir copy;
    const QString recipe = config.filePath("sweep.txt");
    QFile out(recipe);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("set Edit41 600\nclick Button1\nwait 60000\n");
    out.close();
    // The shell keeps the namespace, and so the disk, after the kill, and copies the journal out.
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=2m tmpfs \"$1\" || exit 97\n"
        "\"$0\" --bus sim:noise=0,latency=20 --script \"$2\" --config-dir \"$3\" "
        "--database \"$1/journal.sqlite\" -platform offscreen &\n"
        "echo \"program $!\"\nwait $!\ncp \"$1\"/journal.sqlite* \"$4\"/\n");
    QProcess shell;
    shell.start(QStringLiteral("unshare"),
                {"-m", "--propagation", "private", "sh", "-c", script, program(), mountPoint.path(),
                 recipe, config.path(), copy.path()});
    ASSERT_TRUE(shell.waitForStarted());
    QString output;
    const auto heard = [&](const QString& text) {
        QElapsedTimer waited;
        waited.start();
        while (!output.contains(text) && waited.elapsed() < 60000 &&
               shell.state() == QProcess::Running) {
            shell.waitForReadyRead(100);
            output += QString::fromUtf8(shell.readAllStandardOutput());
        }
        return output.contains(text);
    };
    ASSERT_TRUE(heard(QStringLiteral("\n"))) << shell.readAllStandardError().toStdString();
    ASSERT_TRUE(output.startsWith(QStringLiteral("program "))) << output.toStdString();
    const auto pid = static_cast<pid_t>(output.section(' ', 1, 1).trimmed().toInt());
    ASSERT_GT(pid, 0);
    // However the test ends, the program does not outlive it.
    const auto ended = qScopeGuard([pid] { ::kill(pid, SIGKILL); });
    // The disk as the program sees it.
    const QString disk =
        QStringLiteral("/proc/%1/root%2").arg(shell.processId()).arg(mountPoint.path());
    // Read from inside the program's namespace: SQLite would follow /proc's link out of it.
    // Read-only: a reader must not leave an empty file where the program is to make its own.
    const auto written = [&] {
        QProcess sqlite;
        sqlite.start(
            QStringLiteral("nsenter"),
            {QStringLiteral("--mount=/proc/%1/ns/mnt").arg(shell.processId()), "sqlite3",
             "-readonly", mountPoint.filePath("journal.sqlite"), "SELECT count(*) FROM point"});
        sqlite.waitForFinished(10000);
        bool read = false;
        const int points = sqlite.readAllStandardOutput().trimmed().toInt(&read);
        return read ? points : -1;
    };
    const auto waitFor = [](const std::function<bool()>& ready) {
        QElapsedTimer waited;
        waited.start();
        while (!ready() && waited.elapsed() < 60000) {
            QThread::msleep(50);
        }
        return ready();
    };
    ASSERT_TRUE(waitFor([&] { return written() >= 10; }));

    fill(disk + QStringLiteral("/filler"));
    ASSERT_TRUE(heard(QStringLiteral("message: The measurement database ")))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("cannot be written (disk full)")));
    QThread::msleep(1500);  // the sweep measures on, into memory
    const int beforeRoom = written();
    QFile::remove(disk + QStringLiteral("/filler"));
    ASSERT_TRUE(waitFor([&] { return written() >= beforeRoom + 30; }));
    const int beforeKill = written();
    ::kill(pid, SIGKILL);
    ASSERT_TRUE(shell.waitForFinished(20000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    // Every point up to the last one written is there: those measured while the disk was full
    // were written once it had room.
    const QString kept = copy.filePath(QStringLiteral("journal.sqlite"));
    const int keptPoints = figure(kept, "SELECT count(*) FROM point");
    EXPECT_GE(keptPoints, beforeKill);
    EXPECT_EQ(figure(kept,
                     "SELECT sum(last) FROM (SELECT max(idx) AS last FROM point "
                     "GROUP BY measurement_id, segment)"),
              keptPoints);
    QProcess next;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TARVIX_DATABASE"), kept);
    next.setProcessEnvironment(environment);
    start(next, config, QStringLiteral("print window\n"));
    const QString recovered = finish(next);
    EXPECT_TRUE(recovered.contains(QStringLiteral("message: Recovered 1 unsaved series measured ")))
        << recovered.toStdString();
}

}  // namespace
