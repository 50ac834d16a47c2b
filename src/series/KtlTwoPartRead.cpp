// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlTwoPartRead.h"

#include <sys/stat.h>
#include <atomic>
#include <string_view>
#include <thread>

#include "series/KtlFileFormat.h"
#include "series/KtlFileLines.h"
#include "series/KtlReadPass.h"
#include "series/SeriesStore.h"

namespace tarvix::series {

namespace {

// Below this size a second thread costs more than it saves.
constexpr qint64 kSplitWorthBytes = qint64(16) << 20;
// How far past the middle a block header is looked for; a block of 10000 points is about
// half a megabyte.
constexpr qint64 kSplitSearchBytes = qint64(16) << 20;

struct SplitPoint {
    qint64 labelLine = 0;   // the line before the header
    qint64 headerLine = 0;  // where the second half starts to count
};

// The first header line after `from` that follows a whole line (the line `from` falls in
// may be cut).
std::optional<SplitPoint> findSplit(QIODevice& device, qint64 from) {
    if (!device.seek(from)) {
        return std::nullopt;
    }
    KtlLineReader lines(device, from);
    std::string_view line;
    if (!lines.next(line)) {
        return std::nullopt;
    }
    qint64 previous = -1;
    while (lines.next(line) && lines.lineOffset() - from < kSplitSearchBytes) {
        if (previous >= 0 && isKtlPointsHeader(line)) {
            return SplitPoint{previous, lines.lineOffset()};
        }
        previous = lines.lineOffset();
    }
    return std::nullopt;
}

bool sameFile(int first, int second) {
    struct stat a {};
    struct stat b {};
    return ::fstat(first, &a) == 0 && ::fstat(second, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

}  // namespace

std::optional<KtlReadResult> readKtlInTwoParts(QFile& file, const QString& path, SeriesStore& store,
                                               KtlLabels labels) {
    const qint64 size = file.size();
    if (size < kSplitWorthBytes || std::thread::hardware_concurrency() < 2) {
        return std::nullopt;
    }
    QFile secondHalf(path);
    if (!secondHalf.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ||
        !sameFile(file.handle(), secondHalf.handle())) {
        return std::nullopt;
    }
    return readKtlSplitAt(file, secondHalf, size / 2, store, labels);
}

std::optional<KtlReadResult> readKtlSplitAt(QIODevice& first, QIODevice& second, qint64 from,
                                            SeriesStore& store, KtlLabels labels) {
    const std::optional<SplitPoint> split = findSplit(second, from);
    if (!split || !second.seek(split->labelLine)) {
        return std::nullopt;
    }
    SeriesStore laterStore;
    KtlReadPass later(second, split->labelLine, laterStore, labels);
    KtlReadPass earlier(first, 0, store, labels);
    std::atomic<bool> cancel{false};
    std::jthread worker([&] { later.readAsLaterPart(&cancel); });
    earlier.readFirstLines();
    const KtlReadPass::Stop stop = earlier.readBlocks(split->headerLine);
    cancel = stop != KtlReadPass::Stop::AtOffset;
    worker.join();
    if (stop == KtlReadPass::Stop::AtOffset && earlier.canTakeOver(later)) {
        earlier.takeOver(later, laterStore);
    } else if (stop != KtlReadPass::Stop::Ended) {
        earlier.readBlocks();
    }
    return earlier.finish();
}

}  // namespace tarvix::series
