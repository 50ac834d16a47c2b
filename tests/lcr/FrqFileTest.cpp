// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

#include "LcrTestBench.h"
#include "lcr/FrqFile.h"
#include "lcr/LcrPanel.h"
#include "text/FileError.h"

namespace tarvix::lcr {
namespace {

using testing::InTemporaryFolder;
using testing::MeterBench;
using testing::RecordingHost;

TEST(FrqFileLine, KeepsTheReplyUpToTheFirstTabOfItsTabRun) {
    EXPECT_EQ(FrqFile::line("CP\t+1.0E-09\tF\tD\t+2.0E-03\t\t\t", 10.0),
              "CP\t+1.0E-09\tF\tD\t+2.0E-03\t  F[Hz]   1.00000000000000E+0001");
    // The run begins at the third tab: the line keeps that tab and nothing after it.
    EXPECT_EQ(FrqFile::line("CP\t+1.0E-09\tF\t\t\tjunk", 19.01),
              "CP\t+1.0E-09\tF\t  F[Hz]   1.90100000000000E+0001");
}

TEST(FrqFileLine, AReplyWithoutATabRunGivesOnlyTheFrequency) {
    EXPECT_EQ(FrqFile::line("CP\t1\tF\t\tX", 2000000.0), "  F[Hz]   2.00000000000000E+0006");
    EXPECT_EQ(FrqFile::line("", 505.0), "  F[Hz]   5.05000000000000E+0002");
}

TEST(FrqFile, RawBytesAreWrittenAsReceivedAndAnOldFileIsReplaced) {
    InTemporaryFolder folder;
    {
        QFile old(folder.path("run.frq"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents that must go\r\n");
    }
    FrqFile file("run");
    ASSERT_EQ(file.open(), 0);
    EXPECT_EQ(file.writeReading("\xC5\xEC\t1\tF\t\t\t", 10.0), 0);
    EXPECT_EQ(file.commit(), 0);
    EXPECT_EQ(folder.read("run.frq"), "\xC5\xEC\t1\tF\t  F[Hz]   1.00000000000000E+0001\r\n");
}

// Each reading is in the file as soon as it is written, so a killed sweep leaves its readings
// and no temporary file; the file is written in place, so a link stays a link and a private
// file stays private.
TEST(FrqFile, EachReadingReachesTheFileInPlaceThroughALink) {
    InTemporaryFolder folder;
    {
        QFile target(folder.path("target.frq"));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly));
        target.write("old\r\n");
        target.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    ASSERT_TRUE(QFile::link(folder.path("target.frq"), folder.path("run.frq")));
    FrqFile file("run");
    ASSERT_EQ(file.open(), 0);
    EXPECT_EQ(file.absolutePath(), folder.path("run.frq"));
    ASSERT_EQ(file.writeReading("A\t1\tF\t\t\t", 10.0), 0);
    EXPECT_EQ(folder.read("target.frq"), "A\t1\tF\t  F[Hz]   1.00000000000000E+0001\r\n");
    ASSERT_EQ(file.commit(), 0);
    EXPECT_TRUE(QFileInfo(folder.path("run.frq")).isSymLink());
    const QFile::Permissions user = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    EXPECT_EQ(QFile::permissions(folder.path("target.frq")) & ~user,
              QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(QDir::current().entryList(QDir::Files | QDir::System | QDir::Hidden),
              (QStringList{"run.frq", "target.frq"}));
}

// A folder, a device or a pipe of the file's name is refused before anything is written, and
// a pipe without a reader is not waited for.
TEST(FrqFile, OnlyARegularFileIsReplaced) {
    struct Case {
        const char* name;
        std::function<bool(const QString&)> make;
        int error;
    };
    const Case cases[] = {
        {"folder", [](const QString& path) { return QDir().mkdir(path); }, text::kInvalidFilename},
        {"device", [](const QString& path) { return QFile::link("/dev/null", path); },
         text::kFileAccessDenied},
        {"pipe",
         [](const QString& path) {
             return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
         },
         text::kFileAccessDenied},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        InTemporaryFolder folder;
        ASSERT_TRUE(k.make(folder.path("run.frq")));
        FrqFile file("run");
        EXPECT_EQ(file.open(), k.error);
        EXPECT_EQ(file.writeReading("A", 10.0), text::kInvalidFilename);
    }
}

TEST(FrqFile, TwentyPointsOfThreeReadingsGiveSixtyLinesInOrder) {
    InTemporaryFolder folder;
    RecordingHost host;
    LcrPanel panel(host);
    MeterBench bench(
        [](double, int fetch) { return testing::replyWithSecondary(fetch * 1e-9, 0.5); });
    SweepSettings settings;
    settings.readingsPerPoint = 3;
    settings.fileBaseName = "sweep";
    panel.runSweep(*bench.bus, settings);

    QList<QByteArray> lines = folder.read("sweep.frq").split('\n');
    ASSERT_EQ(lines.takeLast(), QByteArray());
    ASSERT_EQ(lines.size(), 60);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(lines[i].endsWith("  F[Hz]   1.00000000000000E+0001\r")) << lines[i].data();
    }
    EXPECT_EQ(lines[1],
              "CP\t 1.00000000000000E-0009\tF\tD\t 5.00000000000000E-0001\t  F[Hz]  "
              " 1.00000000000000E+0001\r");
    EXPECT_TRUE(lines[3].endsWith(" 1.90100000000000E+0001\r")) << lines[3].data();
    EXPECT_TRUE(lines[59].endsWith(" 2.00000000000000E+0006\r")) << lines[59].data();
}

}  // namespace
}  // namespace tarvix::lcr
