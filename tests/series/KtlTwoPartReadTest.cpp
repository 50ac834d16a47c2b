// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <thread>

#include "series/KtlFileReader.h"
#include "series/KtlFileStoreSteps.h"
#include "series/KtlTwoPartRead.h"
#include "series/SeriesStore.h"
#include "text/FileError.h"

using namespace tarvix::series;

namespace {

// One block as the writer lays it out, points (first + k, (first + k) * 1e-6).
QByteArray block(int count, const QByteArray& label, double first = 1,
                 const QByteArray& countText = {}) {
    QByteArray text = "   \r\nVolt Current  Series1-1\r\n" + label + "\r\nNumber of points\r\n " +
                      (countText.isEmpty() ? QByteArray::number(count) : countText) + "\r\n   \r\n";
    for (int k = 0; k < count; ++k) {
        const double v = first + k;
        text += QByteArray::number(v) + "   " + QByteArray::number(v * 1e-6) + "\r\n";
    }
    return text;
}

const QByteArray kHead = "comment\r\ndate\r\ntime\r\n";

// Everything a read leaves that the program looks at afterwards.
void expectSameRead(const KtlReadResult& split, const SeriesStore& splitStore,
                    const KtlReadResult& whole, const SeriesStore& wholeStore,
                    const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(split.error, whole.error);
    EXPECT_EQ(split.limitMessage, whole.limitMessage);
    EXPECT_EQ(split.notSeriesReason, whole.notSeriesReason);
    EXPECT_EQ(split.lastSeriesHoldsData, whole.lastSeriesHoldsData);
    EXPECT_EQ(split.comment, whole.comment);
    EXPECT_EQ(split.voltageMin, whole.voltageMin);
    EXPECT_EQ(split.voltageMax, whole.voltageMax);
    EXPECT_EQ(split.currentMin, whole.currentMin);
    EXPECT_EQ(split.currentMax, whole.currentMax);
    ASSERT_EQ(splitStore.seriesCount, wholeStore.seriesCount);
    const int lastSlot = std::min(wholeStore.seriesCount + 1, SeriesStore::kMaxSeries);
    for (int series = 1; series <= lastSlot; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            EXPECT_EQ(splitStore.segmentLabel(segment, series),
                      wholeStore.segmentLabel(segment, series))
                << segment << "-" << series;
            const std::size_t bytes = SeriesStore::kSlotsPerSegment * sizeof(float);
            EXPECT_EQ(std::memcmp(splitStore.storedCurrent(segment, series),
                                  wholeStore.storedCurrent(segment, series), bytes),
                      0)
                << segment << "-" << series;
            EXPECT_EQ(std::memcmp(splitStore.storedVoltage(segment, series),
                                  wholeStore.storedVoltage(segment, series), bytes),
                      0)
                << segment << "-" << series;
        }
    }
}

// Splits the file at every `step`-th byte and compares with one pass over it.
void expectSplitsReadAsOnePass(const QByteArray& file, KtlLabels labels, int step = 1) {
    SeriesStore whole;
    const KtlReadResult expected = readKtl(file, whole, labels);
    int splits = 0;
    for (qint64 from = 0; from < file.size(); from += step) {
        QBuffer first;
        first.setData(file);
        first.open(QIODevice::ReadOnly);
        QBuffer second;
        second.setData(file);
        second.open(QIODevice::ReadOnly);
        SeriesStore store;
        const auto result = readKtlSplitAt(first, second, from, store, labels);
        if (result) {
            ++splits;
            expectSameRead(*result, store, expected, whole, "split after " + std::to_string(from));
        }
    }
    EXPECT_GT(splits, 0);
}

}  // namespace

// Wherever the middle falls (in a header, a label, among points, in an empty block), the two
// halves read as one pass: slots, counts, points, labels, ranges and the outcome alike.
TEST(KtlTwoPartRead, ReadsAsOnePassWhereverTheFileIsSplit) {
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"series with empty blocks, ending on empty blocks",
         kHead + block(2, "a") + block(0, "e1") + block(3, "b", -5) + block(0, "e2") +
             block(1, "c", 7) + block(0, "e3")},
        {"a last series of eight segments", kHead + block(1, "1") + block(2, "2") + block(1, "3") +
                                                block(2, "4") + block(1, "5") + block(2, "6") +
                                                block(1, "7") + block(2, "8") + block(1, "9", -3)},
        {"a header inside a block's points stops the read",
         kHead + block(2, "a") + block(3, "b").replace("2   2e-06\r\n", "Number of points\r\n") +
             block(2, "c")},
        {"a block's count beyond its points swallows the next header",
         kHead + block(2, "a") + block(2, "b", 1, "4") + block(2, "c") + block(2, "d")},
        {"a number that is not one in the second half",
         kHead + block(2, "a") + block(2, "b") + block(3, "c").replace("2e-06", "2x-06")},
        {"a file cut short in its last line", (kHead + block(2, "a") + block(3, "b")).chopped(3)},
        {"the old header word",
         kHead + block(2, "a").replace("Number of points", "\xD2\xEE\xF7\xE5\xEA") + block(1, "b")},
        {"the first block only after the middle",
         kHead + QByteArray("free text\r\n").repeated(20) + block(2, "a")},
        {"a file of headers only, ending in a number that is no number",
         QByteArray(",+\n\n\xD2\xEE\xF7\xE5\xEA\n\n\xFA\x98\x01\xFF\xFF", 16)},
    };
    for (const auto& [name, file] : files) {
        SCOPED_TRACE(name);
        expectSplitsReadAsOnePass(file, KtlLabels::Take);
        expectSplitsReadAsOnePass(file, KtlLabels::Skip);
    }
}

// The store's limit may fall into either half: 1200 blocks exactly, and one more.
TEST(KtlTwoPartRead, ReadsAsOnePassAtTheStoresLimit) {
    for (const int blocks : {SeriesStore::kMaxSeries * SeriesStore::kSegments,
                             SeriesStore::kMaxSeries * SeriesStore::kSegments + 1}) {
        QByteArray file = kHead;
        for (int b = 0; b < blocks; ++b) {
            file += block(1, QByteArray::number(b), b) + (b % 7 == 0 ? block(0, "empty") : "");
        }
        SCOPED_TRACE(blocks);
        expectSplitsReadAsOnePass(file, KtlLabels::Take, 4999);
    }
}

// A file large enough to be read in two parts, from the disk.
TEST(KtlTwoPartRead, ReadsALargeFileInTwoPartsAsOnePass) {
    if (std::thread::hardware_concurrency() < 2) {
        GTEST_SKIP() << "one core reads in one pass";
    }
    QByteArray file = kHead;
    for (int b = 0; file.size() < (qint64(17) << 20); ++b) {
        file += block(SeriesStore::kMaxPoints, QByteArray::number(b), b);
    }
    QTemporaryDir folder;
    const QString path = folder.filePath("large.ktl");
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    SeriesStore split;
    const auto result = readKtlInTwoParts(in, path, split, KtlLabels::Take);
    ASSERT_TRUE(result.has_value());
    SeriesStore whole;
    expectSameRead(*result, split, readKtl(file, whole, KtlLabels::Take), whole, "from disk");
    EXPECT_EQ(readKtlFile(path, whole, KtlLabels::Take).error, 0);
}
