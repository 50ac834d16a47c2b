// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "series/KtlFileReader.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "text/FileError.h"

using namespace tarvix::series;
using tarvix::text::kFileNotFound;
using tarvix::text::kInvalidNumericInput;
using tarvix::text::kReadBeyondEnd;

namespace {

// Text of one block as the writer lays it out; points are (k, k * 1e-6) for k = 1..count.
QByteArray block(int count, const QByteArray& label = "lbl",
                 const QByteArray& header = "Number of points", double first = 1) {
    QByteArray text = "   \r\nVolt Current  Series1-1\r\n" + label + "\r\n" + header + "\r\n " +
                      QByteArray::number(count) + "\r\n   \r\n";
    for (int k = 0; k < count; ++k) {
        const double v = first + k;
        text += QByteArray::number(v) + "   " + QByteArray::number(v * 1e-6) + "\r\n";
    }
    return text;
}

const QByteArray kHead = "comment\r\ndate\r\ntime\r\n";

}  // namespace

TEST(KtlFileReader, PacksNonEmptyBlocksIntoSegmentsInFileOrder) {
    SeriesStore store;
    // Two series of two non-empty segments each, six empty blocks apiece.
    QByteArray file = kHead;
    for (int series = 0; series < 2; ++series) {
        file += block(2, "a", "Number of points", 10 * series) + block(3, "b") + block(0) +
                block(0) + block(0) + block(0) + block(0) + block(0);
    }
    const KtlReadResult result = readKtl(file, store, KtlLabels::Take);
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(result.comment, "comment");
    EXPECT_EQ(result.date, "date");
    EXPECT_EQ(result.time, "time");
    EXPECT_EQ(store.seriesCount, 1);
    EXPECT_EQ(store.storedCount(1, 1), 2);
    EXPECT_EQ(store.storedCount(2, 1), 3);
    EXPECT_EQ(store.storedCount(3, 1), 2);
    EXPECT_EQ(store.storedCount(4, 1), 3);
    EXPECT_EQ(store.storedCount(5, 1), 0);
    EXPECT_EQ(store.storedVoltage(3, 1)[1], 10.0f);
    EXPECT_EQ(store.segmentLabel(4, 1), "b");
    EXPECT_TRUE(result.lastSeriesHoldsData);
    EXPECT_EQ(result.voltageMin, 0.0);  // ranges start at 0
    EXPECT_EQ(result.voltageMax, 11.0);
    EXPECT_EQ(result.currentMin, 0.0);
    EXPECT_EQ(result.currentMax, static_cast<double>(11e-6f));
}

TEST(KtlFileReader, ALastSeriesOfEightSegmentsLeavesTheCountOnTheNextSlot) {
    SeriesStore store;
    store.storedCurrent(1, 3)[0] = 7;  // left over from earlier: must not show up
    QByteArray file = kHead;
    for (int k = 0; k < 16; ++k) {
        file += block(1);
    }
    const KtlReadResult result = readKtl(file, store, KtlLabels::Take);
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(store.seriesCount, 3);
    EXPECT_EQ(store.storedCount(8, 2), 1);
    EXPECT_EQ(store.storedCount(1, 3), 0);
    EXPECT_FALSE(result.lastSeriesHoldsData);
}

TEST(KtlFileReader, RecognisesOnlyTheExactHeaderWords) {
    SeriesStore store;
    const QByteArray file = kHead + block(2, "x", "Number of points ") +
                            block(1, "old", "\xD2\xEE\xF7\xE5\xEA") +
                            block(1, "lf\n", "Number of points", 5).replace("\r\n", "\n");
    const KtlReadResult result = readKtl(file, store, KtlLabels::Take);
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(store.storedCount(1, 1), 1);
    EXPECT_EQ(store.segmentLabel(1, 1), "old");
    EXPECT_EQ(store.storedVoltage(2, 1)[1], 5.0f);  // LF-only line ends read too
    EXPECT_EQ(store.storedCount(3, 1), 0);
}

TEST(KtlFileReader, AFileWithoutPointsLeavesOneEmptySlot) {
    for (const QByteArray& file : {kHead + block(0) + block(0), QByteArray(), kHead}) {
        SeriesStore store;
        store.storedCurrent(2, 1)[0] = 4;  // left over
        const KtlReadResult result = readKtl(file, store, KtlLabels::Take);
        EXPECT_EQ(result.error, 0);
        EXPECT_EQ(store.seriesCount, 1);
        EXPECT_FALSE(slotHoldsData(store, 1));
        EXPECT_FALSE(result.lastSeriesHoldsData);
    }
}

// Only a file with a block header is a series file, however empty its blocks; anything else
// says why, and is read without an error of its own.
TEST(KtlFileReader, TellsWhatIsNoSeriesFile) {
    const std::pair<QByteArray, const char*> cases[] = {
        {QByteArray(), "it is empty"},
        {QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "it holds binary data"},
        {"# Tarvix\r\nseries,segment,V,A\r\n1,1,0.5,1e-6\r\n",
         "no line reads \"Number of points\""},
        {kHead, "no line reads \"Number of points\""},
        {kHead + block(0), ""},
        {kHead + block(1, "old", "\xD2\xEE\xF7\xE5\xEA"), ""},
    };
    for (const auto& [file, reason] : cases) {
        SCOPED_TRACE(file.left(20).toStdString());
        SeriesStore store;
        const KtlReadResult result = readKtl(file, store, KtlLabels::Take);
        EXPECT_EQ(result.error, 0);
        EXPECT_EQ(result.notSeriesReason, QString::fromLatin1(reason));
    }
}

TEST(KtlFileReader, ThePreviewLeavesTheLabels) {
    SeriesStore store;
    store.segmentLabel(1, 1) = "kept";
    readKtl(kHead + block(1, "new"), store, KtlLabels::Skip);
    EXPECT_EQ(store.segmentLabel(1, 1), "kept");
    EXPECT_EQ(store.storedCount(1, 1), 1);
}

TEST(KtlFileReader, ATruncatedFileKeepsWhatWasRead) {
    const QByteArray whole = kHead + block(2) + block(4);
    // Cut after two of the four points, then inside the third point's line.
    const qsizetype cut = whole.indexOf("\n3   ") + 1;
    for (const QByteArray& file : {whole.left(cut), whole.left(cut + 3)}) {
        SeriesStore store;
        const KtlReadResult result = readKtl(file, store, KtlLabels::Take);
        EXPECT_EQ(result.error, kReadBeyondEnd);
        EXPECT_EQ(store.seriesCount, 1);
        EXPECT_EQ(store.storedCount(1, 1), 2);
        EXPECT_EQ(store.storedCount(2, 1), 2);  // the points actually read
        EXPECT_EQ(store.storedVoltage(2, 1)[2], 2.0f);
        EXPECT_EQ(result.voltageMax, 2.0);
    }
    SeriesStore store;
    EXPECT_EQ(readKtl(kHead + "lbl\r\nNumber of points\r\n", store, KtlLabels::Take).error,
              kReadBeyondEnd);
    EXPECT_EQ(readKtl(kHead + "lbl\r\nNumber of points\r\n 3\r\n", store, KtlLabels::Take).error,
              kReadBeyondEnd);
}

TEST(KtlFileReader, ANonNumberStopsWithInvalidNumericInput) {
    SeriesStore store;
    QByteArray bad = block(3);
    bad.replace("2   2e-06", "2   2,5e-06");
    const KtlReadResult result = readKtl(kHead + block(1) + bad + block(1), store, KtlLabels::Take);
    EXPECT_EQ(result.error, kInvalidNumericInput);
    EXPECT_EQ(store.storedCount(1, 1), 1);
    EXPECT_EQ(store.storedCount(2, 1), 1);
    EXPECT_EQ(store.storedCount(3, 1), 0);

    const char* badCounts[] = {"lbl\r\nNumber of points\r\nmany\r\n",
                               "lbl\r\nNumber of points\r\n 1\r\n   \r\n 1\r\n x\r\n",
                               "lbl\r\nNumber of points\r\n 1\r\n   \r\n 1   1e39\r\n"};
    for (const char* text : badCounts) {
        SeriesStore other;
        EXPECT_EQ(readKtl(kHead + text, other, KtlLabels::Take).error, kInvalidNumericInput)
            << text;
    }
}

TEST(KtlFileReader, ReportsAMissingFile) {
    QTemporaryDir dir;
    SeriesStore store;
    EXPECT_EQ(readKtlFile(dir.filePath("none.ktl"), store, KtlLabels::Take).error, kFileNotFound);
    EXPECT_NE(readKtlFile(dir.path(), store, KtlLabels::Take).error, 0);
    EXPECT_EQ(store.seriesCount, 0);
}

TEST(KtlFileReader, StopsAtOneHundredFiftySeries) {
    SeriesStore store;
    QByteArray file = kHead;
    const int blocks = SeriesStore::kMaxSeries * SeriesStore::kSegments;
    for (int k = 0; k < blocks; ++k) {
        file += block(1, "l", "Number of points", k);
    }
    {
        const KtlReadResult result = readKtl(file + block(0), store, KtlLabels::Take);
        EXPECT_EQ(result.error, 0);
        EXPECT_TRUE(result.limitMessage.isEmpty());  // exactly full: nothing lost
        EXPECT_EQ(store.seriesCount, SeriesStore::kMaxSeries);
        EXPECT_TRUE(result.lastSeriesHoldsData);
    }
    clearStoreForOpen(store);
    const KtlReadResult result = readKtl(file + block(2, "over"), store, KtlLabels::Take);
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(result.limitMessage, "The file holds more than 150 series; the first 150 were read.");
    EXPECT_EQ(store.seriesCount, SeriesStore::kMaxSeries);
    EXPECT_EQ(store.storedVoltage(8, 150)[1], static_cast<float>(blocks - 1));
    EXPECT_EQ(store.segmentLabel(8, 150), "l");
    EXPECT_FALSE(moveOffOpenedSeries(store));  // no slot left for a measurement
}

TEST(KtlFileReader, KeepsTheFirstTenThousandPointsOfALongerBlock) {
    SeriesStore store;
    const KtlReadResult result =
        readKtl(kHead + block(SeriesStore::kMaxPoints + 5) + block(2), store, KtlLabels::Take);
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(result.limitMessage,
              "A block holds more than 10000 points; only the first 10000 were kept.");
    EXPECT_EQ(store.storedCount(1, 1), SeriesStore::kMaxPoints);
    EXPECT_EQ(store.storedVoltage(1, 1)[SeriesStore::kMaxPoints], 10000.0f);
    EXPECT_EQ(result.voltageMax, 10000.0);
    EXPECT_EQ(store.storedCount(2, 1), 2);  // reading went on with the next block
}

TEST(KtlFileStoreSteps, AnOpenedPartSeriesIsNotReplacedByTheNextMeasurement) {
    SeriesStore store;
    const KtlReadResult result = readKtl(kHead + block(1) + block(1), store, KtlLabels::Take);
    ASSERT_TRUE(result.lastSeriesHoldsData);
    EXPECT_TRUE(moveOffOpenedSeries(store));
    EXPECT_EQ(store.seriesCount, 2);
    EXPECT_TRUE(moveOffOpenedSeries(store));  // an empty slot is taken as it is
    EXPECT_EQ(store.seriesCount, 2);
}
