// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlFileStoreSteps.h"

#include <cmath>

#include "series/SeriesStore.h"

namespace tarvix::series {

int storedPointCount(const SeriesStore& store, int segment, int series) {
    const float count = store.storedCurrent(segment, series)[0];
    if (!(count > 0)) {  // NaN too
        return 0;
    }
    if (count >= static_cast<float>(SeriesStore::kMaxPoints)) {
        return SeriesStore::kMaxPoints;
    }
    return static_cast<int>(std::nearbyint(count));
}

bool prepareStoreForSave(SeriesStore& store) {
    // The last slot cannot advance: its run is committed and seriesCount stays at 150.
    if (store.seriesCount != 0 && store.liveSegmentCount() != 0 &&
        store.commitLive(store.seriesCount) && store.seriesCount < SeriesStore::kMaxSeries) {
        store.seriesCount += 1;
    }
    store.clearLive();
    return store.storedSegmentCount() != 0;
}

void clearStoreForOpen(SeriesStore& store) {
    store.clearStored(store.seriesCount);
    store.seriesCount = 0;
    store.clearLive();
}

void deleteStoredSeries(SeriesStore& store) {
    store.seriesCount = 0;
    store.clearStored(SeriesStore::kMaxSeries);
}

bool slotHoldsData(const SeriesStore& store, int slot) {
    if (!SeriesStore::validSeries(slot)) {
        return false;
    }
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        if (storedPointCount(store, segment, slot) >= 1) {
            return true;
        }
    }
    return false;
}

bool moveOffOpenedSeries(SeriesStore& store) {
    if (!slotHoldsData(store, store.seriesCount)) {
        return true;
    }
    if (store.seriesCount >= SeriesStore::kMaxSeries) {
        return false;
    }
    store.seriesCount += 1;
    return true;
}

}  // namespace tarvix::series
