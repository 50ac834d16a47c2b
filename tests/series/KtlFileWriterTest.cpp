// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include "series/KtlFileName.h"
#include "series/KtlFileReader.h"
#include "series/KtlFileStoreSteps.h"
#include "series/KtlFileWriter.h"
#include "series/SeriesStore.h"
#include "text/FileError.h"

using namespace tarvix::series;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One series: two points and a label in segment 1, segments 2..8 empty.
void fillExampleStore(SeriesStore& store) {
    store.seriesCount = 1;
    float* voltage = store.storedVoltage(1, 1);
    float* current = store.storedCurrent(1, 1);
    voltage[0] = current[0] = 2;
    voltage[1] = -1.0f;
    current[1] = -3.814697265625e-6f;
    voltage[2] = 0.5f;
    current[2] = 1.52587890625e-5f;
    store.segmentLabel(1, 1) = "12:00:00/1500ms";
}

QByteArray exampleStoreText(const QByteArray& date, const QByteArray& time) {
    QByteArray text = "Comments\r\n" + date + "\r\n" + time + "\r\n";
    text +=
        "   \r\nVolt Current  Series1-1\r\n12:00:00/1500ms\r\nNumber of points\r\n"
        " 2.00000000000000E+0000\r\n   \r\n"
        "-1.00000000000000E+0000   -3.81469726562500E-0006\r\n"
        " 5.00000000000000E-0001    1.52587890625000E-0005\r\n";
    for (int segment = 2; segment <= 8; ++segment) {
        text += "   \r\nVolt Current  Series" + QByteArray::number(segment) +
                "-1\r\n\r\nNumber of points\r\n 0.00000000000000E+0000\r\n   \r\n";
    }
    return text;
}

}  // namespace

TEST(KtlFileWriter, WritesAStoreByteForByte) {
    QTemporaryDir dir;
    SeriesStore store;
    fillExampleStore(store);
    const QString path = dir.filePath("example.ktl");
    ASSERT_EQ(writeKtlFile(path, store, {"Comments", "01.02.2024", "12:00:05"}), 0);
    EXPECT_EQ(readAll(path), exampleStoreText("01.02.2024", "12:00:05"));
}

TEST(KtlFileWriter, WritesEverySeriesUpToTheCountWithEightBlocks) {
    QTemporaryDir dir;
    SeriesStore store;
    fillExampleStore(store);
    store.seriesCount = 3;  // series 2 and 3 are empty, as after a save
    store.storedCurrent(3, 3)[0] = 1;
    store.storedVoltage(3, 3)[1] = 2;
    store.storedCurrent(3, 3)[1] = 1e-6f;
    store.segmentLabel(3, 3) = QString::fromUtf8("Ток");
    const QString path = dir.filePath("three.ktl");
    ASSERT_EQ(writeKtlFile(path, store, {QString::fromUtf8("Образец"), "d", "t"}), 0);
    const QByteArray text = readAll(path);
    EXPECT_EQ(text.count("Number of points\r\n"), 24);
    EXPECT_TRUE(text.startsWith("\xCE\xE1\xF0\xE0\xE7\xE5\xF6\r\n"));
    EXPECT_TRUE(
        text.contains("Volt Current  Series3-3\r\n\xD2\xEE\xEA\r\nNumber of points\r\n"
                      " 1.00000000000000E+0000\r\n   \r\n"
                      " 2.00000000000000E+0000    9.99999997475243E-0007\r\n"));
    EXPECT_TRUE(
        text.endsWith("Volt Current  Series8-3\r\n\r\nNumber of points\r\n"
                      " 0.00000000000000E+0000\r\n   \r\n"));
}

TEST(KtlFileWriter, SavedExampleReadsBackAsOneSeries) {
    QTemporaryDir dir;
    SeriesStore store;
    fillExampleStore(store);
    const QString path = dir.filePath("example.ktl");
    ASSERT_EQ(saveKtlFile(path, store, ktlHeaderAt("Comments", QDateTime::currentDateTime())), 0);
    EXPECT_EQ(store.storedCurrentCopy(1, 1)[2], 1.52587890625e-5f);  // the copies were taken

    SeriesStore opened;
    clearStoreForOpen(opened);
    const KtlReadResult result = readKtlFile(path, opened, KtlLabels::Take);
    EXPECT_EQ(result.error, 0);
    EXPECT_TRUE(result.limitMessage.isEmpty());
    EXPECT_EQ(result.comment, "Comments");
    EXPECT_EQ(opened.seriesCount, 1);
    EXPECT_TRUE(result.lastSeriesHoldsData);
    EXPECT_EQ(opened.storedCount(1, 1), 2);
    EXPECT_EQ(opened.storedVoltage(1, 1)[0], 0.0f);  // a file's count lives in the current only
    EXPECT_EQ(opened.storedVoltage(1, 1)[1], -1.0f);
    EXPECT_EQ(opened.storedCurrent(1, 1)[1], -3.814697265625e-6f);
    EXPECT_EQ(opened.storedVoltage(1, 1)[2], 0.5f);
    EXPECT_EQ(opened.storedCurrent(1, 1)[2], 1.52587890625e-5f);
    EXPECT_EQ(opened.segmentLabel(1, 1), "12:00:00/1500ms");
    EXPECT_EQ(opened.storedCount(2, 1), 0);
    EXPECT_EQ(result.voltageMin, -1.0);
    EXPECT_EQ(result.voltageMax, 0.5);
    EXPECT_EQ(result.currentMin, -3.814697265625e-6);
    EXPECT_EQ(result.currentMax, 1.52587890625e-5);
}

TEST(KtlFileName, AppendsTheExtensionUnlessTheNameHoldsItAnywhere) {
    EXPECT_EQ(ktlSaveName("data"), "data.ktl");
    EXPECT_EQ(ktlSaveName("data.KTL"), "data.KTL.ktl");
    EXPECT_EQ(ktlSaveName("data.ktl"), "data.ktl");
    EXPECT_EQ(ktlSaveName("run.ktl.bak"), "run.ktl.bak");
    EXPECT_TRUE(isKtlName("/tmp/a.ktl"));
    EXPECT_FALSE(isKtlName("/tmp/a.KTL"));
}

TEST(KtlFileWriter, AFailedSaveKeepsWhatWasThereAndTakesNoCopies) {
    QTemporaryDir dir;
    SeriesStore store;
    fillExampleStore(store);
    // A folder where the file should go: the rename over it fails, for root too.
    const QString blocked = dir.filePath("blocked.ktl");
    ASSERT_TRUE(QDir().mkdir(blocked));
    EXPECT_NE(saveKtlFile(blocked, store, {"c", "d", "t"}), 0);
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_EQ(store.storedCurrentCopy(1, 1)[0], 0.0f);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);  // no temporary left

    EXPECT_EQ(writeKtlFile(dir.filePath("missing/x.ktl"), store, {"c", "d", "t"}),
              tarvix::text::kFileNotFound);
}

TEST(KtlFileWriter, AWriteThatFailsHalfwayLeavesTheOldFileIntact) {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.ktl");
    SeriesStore small;
    fillExampleStore(small);
    ASSERT_EQ(writeKtlFile(path, small, {"old", "d", "t"}), 0);
    const QByteArray before = readAll(path);

    SeriesStore big;
    big.seriesCount = 2;
    big.storedCurrent(1, 1)[0] = 10000;
    big.storedCurrent(1, 2)[0] = 10000;
    // A file size limit stops the write part of the way, whoever runs the test; with two
    // parts the later one fails as well.
    for (const int parts : {1, 2}) {
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = 64 * 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const int error = writeKtlFile(path, big, {"new", "d", "t"}, parts);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_NE(error, 0) << parts;
        EXPECT_EQ(readAll(path), before) << parts;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << parts;
    }
}

// Two threads each writing half of the blocks at its place give the same file as one.
TEST(KtlFileWriter, TwoPartsWriteTheSameBytesAsOne) {
    QTemporaryDir dir;
    SeriesStore store;
    store.seriesCount = 3;
    for (int series = 1; series <= 3; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; segment += series) {
            const int count = 37 * series + segment;
            store.storedCurrent(segment, series)[0] = static_cast<float>(count);
            for (int p = 1; p <= count; ++p) {
                store.storedVoltage(segment, series)[p] = 0.01f * static_cast<float>(p - 20);
                store.storedCurrent(segment, series)[p] = -1e-9f * static_cast<float>(p * series);
            }
            store.segmentLabel(segment, series) = QString::fromUtf8("Ток %1").arg(segment);
        }
    }
    const KtlHeader header{QString::fromUtf8("Образец"), "d", "t"};
    ASSERT_EQ(writeKtlFile(dir.filePath("one.ktl"), store, header, 1), 0);
    ASSERT_EQ(writeKtlFile(dir.filePath("two.ktl"), store, header, 2), 0);
    const QByteArray one = readAll(dir.filePath("one.ktl"));
    EXPECT_EQ(one.count("Number of points\r\n"), 24);
    EXPECT_EQ(readAll(dir.filePath("two.ktl")), one);
}

TEST(KtlFileStoreSteps, SaveCommitsALiveRunAndRefusesAnEmptyStore) {
    SeriesStore store;
    EXPECT_FALSE(prepareStoreForSave(store));

    store.liveCurrent(2)[0] = 1;  // a run of another mode left in the live layer
    store.liveCurrent(2)[1] = 5e-9f;
    store.liveLabel(2) = "10:00:00/20ms";
    store.seriesCount = 1;
    EXPECT_TRUE(prepareStoreForSave(store));
    EXPECT_EQ(store.seriesCount, 2);
    EXPECT_EQ(store.storedCount(2, 1), 1);
    EXPECT_EQ(store.segmentLabel(2, 1), "10:00:00/20ms");
    EXPECT_EQ(store.liveSegmentCount(), 0);
    EXPECT_EQ(store.liveLabel(2), "10:00:00/20ms");  // labels kept

    // After "Delete" nothing is committed, the live run is cleared, and nothing is saved.
    deleteStoredSeries(store);
    store.liveCurrent(1)[0] = 3;
    EXPECT_FALSE(prepareStoreForSave(store));
    EXPECT_EQ(store.liveSegmentCount(), 0);
    EXPECT_EQ(store.storedCount(2, 1), 0);

    // The last slot cannot advance past the tables.
    store.seriesCount = SeriesStore::kMaxSeries;
    store.liveCurrent(1)[0] = 1;
    EXPECT_TRUE(prepareStoreForSave(store));
    EXPECT_EQ(store.seriesCount, SeriesStore::kMaxSeries);
    EXPECT_EQ(store.storedCount(1, SeriesStore::kMaxSeries), 1);
}
