// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlReadPass.h"

#include <QStringList>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>
#include <string_view>

#include "series/KtlFileFormat.h"
#include "series/KtlFileNumber.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "text/Cp1251.h"
#include "text/FileError.h"

namespace tarvix::series {

namespace {

QByteArray bytesOf(std::string_view line) {
    return {line.data(), static_cast<qsizetype>(line.size())};
}

// A value the float tables can hold; anything larger would not be a number there.
std::optional<float> toFloat(const std::optional<LineNumber>& number) {
    if (!number || std::fabs(number->value) > FLT_MAX) {
        return std::nullopt;
    }
    return static_cast<float>(number->value);
}

}  // namespace

KtlReadPass::KtlReadPass(QIODevice& device, qint64 startOffset, SeriesStore& store,
                         KtlLabels labels)
    : lines_(device, startOffset), store_(store), labels_(labels) {}

int KtlReadPass::slot() const {
    // seriesCount cannot name a slot beyond the tables
    return storeFull() ? SeriesStore::kMaxSeries : blocks_ / SeriesStore::kSegments + 1;
}

int KtlReadPass::segment() const {
    return blocks_ % SeriesStore::kSegments + 1;
}

int KtlReadPass::truncationOr(int code) const {
    return lines_.lastLineTerminated() ? code : text::kReadBeyondEnd;
}

void KtlReadPass::readFirstLines() {
    QString* first[] = {&result_.comment, &result_.date, &result_.time};
    std::string_view line;
    for (QString* target : first) {
        if (!lines_.next(line)) {
            return;  // a short file simply has no blocks
        }
        anyLine_ = true;
        binaryStart_ = binaryStart_ || line.find('\0') != std::string_view::npos;
        *target = text::fromCp1251(bytesOf(line));
    }
}

void KtlReadPass::skipLine() {
    std::string_view line;
    lines_.next(line);
}

void KtlReadPass::readAsLaterPart(const std::atomic<bool>* cancel) {
    laterPart_ = true;
    cancel_ = cancel;
    skipLine();
    readBlocks();
}

KtlReadPass::Stop KtlReadPass::readBlocks(qint64 stopAt) {
    std::string_view line;
    for (;;) {
        if (heldLine_) {
            line = lines_.current();
            heldLine_ = false;
        } else {
            if (!lines_.next(line)) {
                break;
            }
            if (stopAt >= 0 && lines_.lineOffset() >= stopAt) {
                heldLine_ = true;
                return lines_.lineOffset() == stopAt ? Stop::AtOffset : Stop::PastOffset;
            }
        }
        if (isKtlPointsHeader(line)) {
            headerSeen_ = true;
            if (cancel_ && cancel_->load(std::memory_order_relaxed)) {
                return Stop::Ended;
            }
            if (!readBlock()) {
                return Stop::Ended;
            }
        }
    }
    if (result_.error == 0 && lines_.readFailed()) {
        fail(text::kReadBeyondEnd);
    }
    return Stop::Ended;
}

void KtlReadPass::takeLabel() {
    if (labels_ != KtlLabels::Take || storeFull()) {
        return;
    }
    if (laterPart_) {
        rawLabels_.resize(static_cast<std::size_t>(blocks_) + 1);
        rawLabels_.back() = bytesOf(lines_.previous());
    } else {
        store_.segmentLabel(segment(), slot()) = text::fromCp1251(bytesOf(lines_.previous()));
    }
    labelAtCursor_ = true;
}

bool KtlReadPass::readBlock() {
    takeLabel();
    std::string_view line;
    if (!lines_.next(line)) {
        fail(text::kReadBeyondEnd);
        return false;
    }
    const std::optional<float> count = cutShort() ? std::nullopt : toFloat(readLineNumber(line));
    if (!count) {
        fail(truncationOr(text::kInvalidNumericInput));
        return false;
    }
    if (*count == 0) {
        return true;  // an empty block takes no segment
    }
    if (storeFull()) {
        seriesCut_ = true;
        return false;
    }
    float* voltage = store_.storedVoltage(segment(), slot());
    float* current = store_.storedCurrent(segment(), slot());
    voltage[0] = 0;  // a file's counts live in the current table only
    current[0] = 0;
    // Rounded, halves to even; a count beyond any file's size just runs into its end.
    const double wanted = std::clamp(std::nearbyint(static_cast<double>(*count)), 0.0, 2e9);
    int kept = 0;
    const bool complete = lines_.next(line) &&  // the three blanks after the count
                          readPoints(voltage, current, static_cast<int>(wanted), kept);
    current[0] = static_cast<float>(kept);
    if (!complete && result_.error == 0) {
        fail(text::kReadBeyondEnd);
    }
    if (complete || kept > 0) {
        advanceSegment();
    }
    return complete;
}

// Reads `count` point lines; the first 10000 go into the tables, the rest are passed over.
bool KtlReadPass::readPoints(float* voltage, float* current, int count, int& kept) {
    std::string_view line;
    for (int p = 1; p <= count; ++p) {
        if (!lines_.next(line)) {
            return false;
        }
        if (p > SeriesStore::kMaxPoints) {
            pointsCut_ = true;
            continue;
        }
        if (cutShort()) {
            fail(text::kReadBeyondEnd);
            return false;
        }
        const auto first = readLineNumber(line);
        const std::optional<float> v = toFloat(first);
        const std::optional<float> i =
            v ? toFloat(readLineNumber(line.substr(first->end))) : std::nullopt;
        if (!i) {
            fail(truncationOr(text::kInvalidNumericInput));
            return false;
        }
        voltage[p] = *v;
        current[p] = *i;
        kept = p;
        growRanges(*v, *v, *i, *i);
    }
    return true;
}

void KtlReadPass::growRanges(double voltageMin, double voltageMax, double currentMin,
                             double currentMax) {
    result_.voltageMax = std::max(result_.voltageMax, voltageMax);
    result_.voltageMin = std::min(result_.voltageMin, voltageMin);
    result_.currentMin = std::min(result_.currentMin, currentMin);
    result_.currentMax = std::max(result_.currentMax, currentMax);
}

void KtlReadPass::advanceSegment() {
    ++blocks_;
    labelAtCursor_ = false;
}

bool KtlReadPass::canTakeOver(const KtlReadPass& later) const {
    return result_.error == 0 && !later.seriesCut_ && !later.storeFull() &&
           blocks_ + later.blocks_ <= kMaxBlocks;
}

// The later part's blocks are contiguous in its tables from slot 1 on, and go to one
// contiguous stretch of this store's tables from the next block on.
void KtlReadPass::takeOver(const KtlReadPass& later, const SeriesStore& laterStore) {
    const int count = later.blocks_;
    if (count > 0) {
        const auto floats = static_cast<std::size_t>(count) * SeriesStore::kSlotsPerSegment;
        std::copy_n(laterStore.storedVoltage(1, 1), floats,
                    store_.storedVoltageForRewrite(segment(), slot()));
        std::copy_n(laterStore.storedCurrent(1, 1), floats,
                    store_.storedCurrentForRewrite(segment(), slot()));
        const int lastSlot = (blocks_ + count - 1) / SeriesStore::kSegments + 1;
        for (int series = slot(); series <= lastSlot; ++series) {
            store_.markSeriesWritten(series);
        }
    }
    if (labels_ == KtlLabels::Take) {
        // Those of the blocks placed, and one a later empty block left where the next goes.
        const bool labelAfter = later.labelAtCursor_ && blocks_ + count < kMaxBlocks;
        const int labelled =
            std::min(static_cast<int>(later.rawLabels_.size()), count + (labelAfter ? 1 : 0));
        for (int block = 0; block < labelled; ++block) {
            const int placed = blocks_ + block;
            store_.segmentLabel(placed % SeriesStore::kSegments + 1,
                                placed / SeriesStore::kSegments + 1) =
                text::fromCp1251(later.rawLabels_[static_cast<std::size_t>(block)]);
        }
    }
    blocks_ += count;
    headerSeen_ = headerSeen_ || later.headerSeen_;
    pointsCut_ = pointsCut_ || later.pointsCut_;
    growRanges(later.result_.voltageMin, later.result_.voltageMax, later.result_.currentMin,
               later.result_.currentMax);
    result_.error = later.result_.error;
}

// seriesCount names the slot for the next block; segments of it that the file did not fill
// are emptied, so that nothing left from earlier shows up as part of the last series.
KtlReadResult KtlReadPass::finish() {
    store_.seriesCount = slot();
    if (!storeFull()) {
        for (int segment = this->segment(); segment <= SeriesStore::kSegments; ++segment) {
            store_.storedCurrent(segment, slot())[0] = 0;
            store_.storedVoltage(segment, slot())[0] = 0;
        }
    }
    result_.lastSeriesHoldsData = slotHoldsData(store_, slot());
    QStringList messages;
    if (seriesCut_) {
        messages << QStringLiteral("The file holds more than %1 series; the first %1 were read.")
                        .arg(SeriesStore::kMaxSeries);
    }
    if (pointsCut_) {
        messages << QStringLiteral(
                        "A block holds more than %1 points; only the first %1 were kept.")
                        .arg(SeriesStore::kMaxPoints);
    }
    result_.limitMessage = messages.join(QLatin1Char('\n'));
    result_.notSeriesReason = notSeriesReason();
    return result_;
}

QString KtlReadPass::notSeriesReason() const {
    if (headerSeen_ || result_.error != 0) {
        return {};
    }
    if (!anyLine_) {
        return QStringLiteral("it is empty");
    }
    if (binaryStart_) {
        return QStringLiteral("it holds binary data");
    }
    return QStringLiteral("no line reads \"%1\"")
        .arg(QString::fromLatin1(kKtlPointsHeader.data(), kKtlPointsHeader.size()));
}

}  // namespace tarvix::series
