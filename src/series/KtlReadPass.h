// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <atomic>
#include <vector>

#include "series/KtlFileLines.h"
#include "series/KtlFileReader.h"

namespace tarvix::series {

class SeriesStore;

// One pass of the series-file reader over the lines of a device. Non-empty blocks fill the
// stored layer in file order: the b-th (from 0) goes to segment b % 8 + 1 of slot b / 8 + 1.
//
// A pass may cover a part of a file: the first part stops at a given line between blocks, and
// a later part, read at the same time into a store of its own, starts at a block's label line
// and is taken over by the first (takeOver) as if one pass had read both.
class KtlReadPass {
  public:
    KtlReadPass(QIODevice& device, qint64 startOffset, SeriesStore& store, KtlLabels labels);

    // The comment, the date and the time lines, into the result.
    void readFirstLines();
    // A line read only as the line before the next one (the label of the block after it).
    void skipLine();
    // Reads blocks until the end of the input, an error or the store's limit; with `stopAt`,
    // also stops before the first line outside a block that starts at or after that offset,
    // exactly there or past it (the offset fell inside a block); a later call goes on there.
    enum class Stop { Ended, AtOffset, PastOffset };
    Stop readBlocks(qint64 stopAt = -1);
    // A later part keeps its label lines as bytes, decoded when it is taken over (the
    // decoder is not to be used from two threads at once), and ends early once `cancel` is set.
    void readAsLaterPart(const std::atomic<bool>* cancel);
    // Whether the later part `later`, read into `laterStore`, can follow the blocks read so
    // far as the rest of one pass would have read them: neither part met the store's limit.
    bool canTakeOver(const KtlReadPass& later) const;
    void takeOver(const KtlReadPass& later, const SeriesStore& laterStore);
    // Names the slot for the next block and says what the limits cut; the result of the read.
    KtlReadResult finish();

  private:
    static constexpr int kMaxBlocks = 1200;  // 150 slots of 8 segments

    bool storeFull() const { return blocks_ >= kMaxBlocks; }
    int slot() const;
    int segment() const;
    void takeLabel();
    // Returns false when reading must stop (an error or the store's limit).
    bool readBlock();
    bool readPoints(float* voltage, float* current, int count, int& kept);
    void advanceSegment();
    void growRanges(double voltageMin, double voltageMax, double currentMin, double currentMax);
    void fail(int code) { result_.error = code; }
    // A missing line, or a line cut short by the end of the file, is a truncated file.
    // A number on a last line without its line end may have lost digits: it is not taken.
    bool cutShort() const { return !lines_.lastLineTerminated(); }
    int truncationOr(int code) const;
    QString notSeriesReason() const;

    KtlLineReader lines_;
    SeriesStore& store_;
    KtlLabels labels_;
    KtlReadResult result_;
    int blocks_ = 0;  // non-empty blocks placed so far
    // A label was stored at the place of the next block (an empty block's, or a failed one's).
    bool labelAtCursor_ = false;
    bool pointsCut_ = false;
    bool seriesCut_ = false;
    bool heldLine_ = false;    // readBlocks stopped with this line read but not yet looked at
    bool headerSeen_ = false;  // a block header line was met: the input is a series file
    bool anyLine_ = false;
    bool binaryStart_ = false;  // a zero byte in the first lines
    bool laterPart_ = false;
    const std::atomic<bool>* cancel_ = nullptr;
    std::vector<QByteArray> rawLabels_;  // a later part's labels, by block
};

}  // namespace tarvix::series
