#include <QByteArray>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "series/KtlFileReader.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"

using namespace tarvix::series;

// Any bytes as a series file: the read must stay inside the tables (the store asserts its
// indices) and leave a store whose counts and slot number the rest of the program can trust.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static SeriesStore store;
    clearStoreForOpen(store);
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
    return 0;
}
