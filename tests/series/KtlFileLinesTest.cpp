// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QBuffer>
#include <string>
#include <vector>

#include "series/KtlFileLines.h"
#include "series/KtlFileReader.h"
#include "series/SeriesStore.h"

using namespace tarvix::series;

namespace {

// Hands out at most a few bytes per read, so that every line crosses a block boundary.
class TrickleDevice : public QBuffer {
  public:
    explicit TrickleDevice(const QByteArray& bytes) {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }

  protected:
    qint64 readData(char* data, qint64 size) override {
        return QBuffer::readData(data, std::min<qint64>(size, 7));
    }
};

struct Line {
    std::string text;
    std::string previous;
    bool terminated;
};

std::vector<Line> allLines(QIODevice& device) {
    KtlLineReader reader(device);
    std::vector<Line> lines;
    std::string_view line;
    while (reader.next(line)) {
        lines.push_back(
            {std::string(line), std::string(reader.previous()), reader.lastLineTerminated()});
    }
    return lines;
}

}  // namespace

TEST(KtlFileLines, SplitsLinesAndKeepsThePreviousOneAcrossReads) {
    const QByteArray text = "first\r\n\r\nthird\nfourth\r\nlast, cut short";
    TrickleDevice device(text);
    const std::vector<Line> lines = allLines(device);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].text, "first");
    EXPECT_EQ(lines[1].text, "");
    EXPECT_EQ(lines[2].previous, "");
    EXPECT_EQ(lines[3].text, "fourth");
    EXPECT_EQ(lines[3].previous, "third");
    EXPECT_EQ(lines[4].text, "last, cut short");
    EXPECT_EQ(lines[4].previous, "fourth");
    EXPECT_TRUE(lines[3].terminated);
    EXPECT_FALSE(lines[4].terminated);
}

TEST(KtlFileLines, GrowsForALineLongerThanOneBlock) {
    const std::string label(5 << 20, 'x');
    QByteArray text = QByteArray::fromStdString(label) + "\r\nNumber of points\r\n";
    QBuffer device(&text);
    device.open(QIODevice::ReadOnly);
    const std::vector<Line> lines = allLines(device);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, label);
    EXPECT_EQ(lines[1].previous, label);
}

TEST(KtlFileLines, AFileReadInSmallPiecesGivesTheSameStore) {
    QByteArray file = "c\r\nd\r\nt\r\n";
    for (int k = 1; k <= 12; ++k) {
        file += "   \r\nVolt Current  Series\r\nlabel " + QByteArray::number(k) +
                "\r\nNumber of points\r\n " + QByteArray::number(k) + "\r\n   \r\n";
        for (int p = 1; p <= k; ++p) {
            file += " " + QByteArray::number(p * 0.25) + "   -" + QByteArray::number(k) + "e-9\r\n";
        }
    }
    SeriesStore whole;
    SeriesStore pieces;
    const KtlReadResult a = readKtl(file, whole, KtlLabels::Take);
    TrickleDevice device(file);
    const KtlReadResult b = readKtl(device, pieces, KtlLabels::Take);
    EXPECT_EQ(a.error, 0);
    EXPECT_EQ(b.error, 0);
    EXPECT_EQ(whole.seriesCount, 2);
    EXPECT_EQ(pieces.seriesCount, 2);
    EXPECT_EQ(b.currentMin, a.currentMin);
    for (int slot = 1; slot <= 2; ++slot) {
        for (int segment = 1; segment <= 8; ++segment) {
            EXPECT_EQ(pieces.segmentLabel(segment, slot), whole.segmentLabel(segment, slot));
            for (int p = 0; p <= 12; ++p) {
                EXPECT_EQ(pieces.storedVoltage(segment, slot)[p],
                          whole.storedVoltage(segment, slot)[p]);
                EXPECT_EQ(pieces.storedCurrent(segment, slot)[p],
                          whole.storedCurrent(segment, slot)[p]);
            }
        }
    }
    EXPECT_EQ(whole.segmentLabel(4, 2), "label 12");
    EXPECT_EQ(whole.storedCurrent(4, 2)[12], -12e-9f);
}
