// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlFileWriter.h"

#include <QByteArray>
#include <algorithm>
#include <string_view>
#include <thread>
#include <vector>

#include "series/KtlFileChunks.h"
#include "series/KtlFileFormat.h"
#include "series/KtlFileRealText.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "text/ClockText.h"
#include "text/SafeFileWriter.h"

namespace tarvix::series {

namespace {

// Every point line has the same length, so where each block starts is known beforehand.
constexpr qint64 kPointLineBytes =
    2 * static_cast<qint64>(kDefaultRealWidth) + static_cast<qint64>(kKtlBlankLine.size()) + 2;
// Below this many points a second thread costs more than it saves.
constexpr qint64 kPointsWorthASecondThread = 400000;

struct BlockPlan {
    int series = 0;
    int segment = 0;
    int count = 0;
    QByteArray head;  // the lines before the points
    qint64 offset = 0;
};

// Labels and header texts are kept to one line each, or the file would not read back block
// for block.
QByteArray blockHead(const SeriesStore& store, int segment, int series, int count) {
    char number[kDefaultRealWidth];
    writeDefaultReal(number, count);
    const QByteArray lineEnd("\r\n", 2);
    const auto text = [](std::string_view bytes) {
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    };
    return text(kKtlBlankLine) + lineEnd + text(kKtlBlockTitle) + QByteArray::number(segment) +
           '-' + QByteArray::number(series) + lineEnd +
           oneLineCp1251(store.segmentLabel(segment, series)) + lineEnd + text(kKtlPointsHeader) +
           lineEnd + QByteArray(number, kDefaultRealWidth) + lineEnd + text(kKtlBlankLine) +
           lineEnd;
}

std::vector<BlockPlan> layOut(const SeriesStore& store, qint64 offset) {
    std::vector<BlockPlan> blocks;
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    for (int series = 1; series <= lastSeries; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            const int count = storedPointCount(store, segment, series);
            QByteArray head = blockHead(store, segment, series, count);
            const qint64 size = head.size() + count * kPointLineBytes;
            blocks.push_back({series, segment, count, std::move(head), offset});
            offset += size;
        }
    }
    return blocks;
}

void writeBlock(KtlChunkWriter& out, const SeriesStore& store, const BlockPlan& block) {
    out.text(block.head);
    const float* voltage = store.storedVoltage(block.segment, block.series);
    const float* current = store.storedCurrent(block.segment, block.series);
    for (int p = 1; p <= block.count; ++p) {
        out.pointLine(voltage[p], kKtlBlankLine, current[p]);
    }
}

// Blocks [first, last) from where the first of them starts; the first failure, or 0.
int writeBlocks(text::SafeFileWriter& writer, const QByteArray& opening, const SeriesStore& store,
                const std::vector<BlockPlan>& blocks, std::size_t first, std::size_t last) {
    KtlChunkWriter out(writer, first == 0 ? 0 : blocks[first].offset);
    if (first == 0) {
        out.text(opening);
    }
    for (std::size_t block = first; block < last; ++block) {
        writeBlock(out, store, blocks[block]);
    }
    out.flush();
    return out.error();
}

int choosePartCount(const std::vector<BlockPlan>& blocks) {
    qint64 points = 0;
    for (const BlockPlan& block : blocks) {
        points += block.count;
    }
    return points >= kPointsWorthASecondThread && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

}  // namespace

KtlHeader ktlHeaderAt(const QString& comment, const QDateTime& now) {
    return {comment, text::shortDateText(now.date()), text::longTimeText(now.time())};
}

// The blocks are laid out first; with two parts each thread formats and writes its half of
// them at its place in the file.
int writeKtlFile(const QString& path, const SeriesStore& store, const KtlHeader& header,
                 int parts) {
    text::SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    const QByteArray lineEnd("\r\n", 2);
    const QByteArray opening = oneLineCp1251(header.comment) + lineEnd +
                               oneLineCp1251(header.date) + lineEnd + oneLineCp1251(header.time) +
                               lineEnd;
    const std::vector<BlockPlan> blocks = layOut(store, opening.size());
    if (parts < 1) {
        parts = choosePartCount(blocks);
    }
    std::size_t split = blocks.size();
    if (parts >= 2 && !blocks.empty()) {
        const BlockPlan& last = blocks.back();
        const qint64 half = (last.offset + last.head.size() + last.count * kPointLineBytes) / 2;
        split = 0;
        while (split < blocks.size() && blocks[split].offset < half) {
            ++split;
        }
    }
    int laterError = 0;
    {
        std::jthread later;
        if (split < blocks.size()) {
            later = std::jthread([&] {
                laterError = writeBlocks(writer, opening, store, blocks, split, blocks.size());
            });
        }
        const int error = writeBlocks(writer, opening, store, blocks, 0, split);
        if (error != 0) {
            writer.failWith(error);
        }
    }
    if (laterError != 0) {
        writer.failWith(laterError);
    }
    return writer.commit();
}

int saveKtlFile(const QString& path, SeriesStore& store, const KtlHeader& header) {
    const int error = writeKtlFile(path, store, header);
    if (error == 0) {
        store.snapshotStored();
    }
    return error;
}

}  // namespace tarvix::series
