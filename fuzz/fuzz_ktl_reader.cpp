// SPDX-License-Identifier: GPL-3.0-or-later
#include <QBuffer>
#include <QByteArray>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ivtemp/Arrhenius.h"
#include "series/KtlFileReader.h"
#include "series/KtlFileStoreSteps.h"
#include "series/KtlTwoPartRead.h"
#include "series/SeriesStore.h"
#include "series/SeriesTemperatures.h"

using namespace tarvix::series;

namespace {

// A store as a new one is, without allocating one per input: a read that gave up part way
// (a split the reader declined) may have left points and labels beyond the slot count, which
// the next input's read would not overwrite. The program itself always reads into a new store.
void clearWholly(SeriesStore& store) {
    static const std::vector<QString> noLabels = SeriesStore().segmentLabelTable();
    clearStoreForOpen(store);
    store.clearStored(SeriesStore::kMaxSeries);
    store.setSegmentLabelTable(noLabels);
}

// A read that succeeded on input without a final line end took no number from the cut last
// line: the same input with its line end gives the same store.
void checkCutLastLine(const QByteArray& bytes, const SeriesStore& store) {
    if (bytes.isEmpty() || bytes.endsWith('\n') || bytes.endsWith('\r')) {
        return;
    }
    static SeriesStore ended;
    clearWholly(ended);
    const KtlReadResult again = readKtl(bytes + "\r\n", ended, KtlLabels::Take);
    if (again.error != 0 || ended.seriesCount != store.seriesCount) {
        __builtin_trap();
    }
    for (int series = 1; series <= store.seriesCount; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            const int count = storedPointCount(store, segment, series);
            if (count != storedPointCount(ended, segment, series)) {
                __builtin_trap();
            }
            for (int p = 1; p <= count; ++p) {
                if (store.storedCurrent(segment, series)[p] !=
                        ended.storedCurrent(segment, series)[p] &&
                    !std::isnan(store.storedCurrent(segment, series)[p])) {
                    __builtin_trap();
                }
            }
        }
    }
}

// Read in two parts, split after the byte the input's first byte names, the input gives
// what one pass gave: the outcome, the slot number, every count, point and label.
void checkTwoParts(const QByteArray& bytes, const KtlReadResult& whole, const SeriesStore& store) {
    if (bytes.isEmpty()) {
        return;
    }
    QBuffer first;
    first.setData(bytes);
    first.open(QIODevice::ReadOnly);
    QBuffer second;
    second.setData(bytes);
    second.open(QIODevice::ReadOnly);
    static SeriesStore split;
    clearWholly(split);
    const qint64 from = static_cast<unsigned char>(bytes[0]) * bytes.size() / 256;
    const auto result = readKtlSplitAt(first, second, from, split, KtlLabels::Take);
    if (!result) {
        return;
    }
    if (result->error != whole.error || result->limitMessage != whole.limitMessage ||
        result->notSeriesReason != whole.notSeriesReason ||
        split.seriesCount != store.seriesCount || result->voltageMin != whole.voltageMin ||
        result->currentMax != whole.currentMax) {
        __builtin_trap();
    }
    constexpr std::size_t kBytes = SeriesStore::kSlotsPerSegment * sizeof(float);
    for (int series = 1; series <= store.seriesCount; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            if (std::memcmp(split.storedCurrent(segment, series),
                            store.storedCurrent(segment, series), kBytes) != 0 ||
                std::memcmp(split.storedVoltage(segment, series),
                            store.storedVoltage(segment, series), kBytes) != 0 ||
                split.segmentLabel(segment, series) != store.segmentLabel(segment, series)) {
                __builtin_trap();
            }
        }
    }
}

// The temperatures a label may carry read as plain kelvin, and the Arrhenius table over the
// read series takes currents only from points the series has.
void checkTemperatures(const SeriesStore& store) {
    std::vector<int> all;
    for (int series = 1; series <= store.seriesCount; ++series) {
        all.push_back(series);
        if (const auto kept = seriesTemperatures(store, series)) {
            if (!std::isfinite(kept->beforeK) || kept->beforeK < 0 ||
                !std::isfinite(kept->afterK) || kept->afterK < 0) {
                __builtin_trap();
            }
        }
    }
    for (const auto& point : tarvix::ivtemp::arrheniusPoints(store, all, 0.5)) {
        if (!(point.kelvin >= 0) || point.amps == 0) {
            __builtin_trap();
        }
    }
}

}  // namespace

// Any bytes as a series file: the read must stay inside the tables (the store asserts its
// indices) and leave a store whose counts, slot number and label temperatures the rest of the
// program can trust.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static SeriesStore store;
    clearWholly(store);
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const KtlReadResult result = readKtl(bytes, store, KtlLabels::Take);
    if (!SeriesStore::validSeries(store.seriesCount)) {
        __builtin_trap();
    }
    if (result.voltageMin > 0 || result.voltageMax < 0 || result.currentMin > 0 ||
        result.currentMax < 0) {
        __builtin_trap();
    }
    for (int series = 1; series <= store.seriesCount; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            const float count = store.storedCurrent(segment, series)[0];
            if (!(count >= 0 && count <= SeriesStore::kMaxPoints) || count != std::floor(count)) {
                __builtin_trap();
            }
            const float* voltage = store.storedVoltage(segment, series);
            for (int p = 1; p <= static_cast<int>(count); ++p) {
                if (!std::isfinite(voltage[p]) || voltage[p] < result.voltageMin ||
                    voltage[p] > result.voltageMax) {
                    __builtin_trap();
                }
            }
        }
    }
    // What the open refuses as no series file placed nothing, and failed in nothing else.
    if (!result.notSeriesReason.isEmpty() &&
        (result.error != 0 || store.seriesCount != 1 || store.storedSegmentCount() != 0)) {
        __builtin_trap();
    }
    checkTemperatures(store);
    checkTwoParts(bytes, result, store);
    if (result.error == 0) {
        checkCutLastLine(bytes, store);
    }
    return 0;
}
