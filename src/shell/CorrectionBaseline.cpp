// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CorrectionBaseline.h"

#include <algorithm>
#include <cstring>

#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"

namespace tarvix::shell {

using series::SeriesStore;

void CorrectionBaseline::synced(const SeriesStore& store) {
    revision_ = store.storedRevision();
    const int slot = std::max(store.seriesCount, 1);
    firstNewSlot_ = series::slotHoldsData(store, slot) ? slot + 1 : slot;
    valid_ = true;
}

void CorrectionBaseline::invalidate() {
    valid_ = false;
    firstNewSlot_ = 1;
}

// The store can only copy its tables whole, so the older slots are put back to their copies
// before the snapshot; the corrections that follow recompute them from the copies anyway.
void CorrectionBaseline::takeNewSeries(SeriesStore& store) {
    if (valid_ && store.storedRevision() == revision_) {
        return;
    }
    const int lastSlot = std::min(store.seriesCount, SeriesStore::kMaxSeries);
    if (firstNewSlot_ > lastSlot) {
        return;
    }
    // Slot by slot, so that the store's watermark of written slots stays where it is.
    constexpr std::size_t kBlockBytes = SeriesStore::kSeriesBlock * sizeof(float);
    for (int slot = 1; slot < firstNewSlot_; ++slot) {
        std::memcpy(store.storedCurrent(1, slot), store.storedCurrentCopy(1, slot), kBlockBytes);
        std::memcpy(store.storedVoltage(1, slot), store.storedVoltageCopy(1, slot), kBlockBytes);
    }
    store.snapshotStored();
}

}  // namespace tarvix::shell
