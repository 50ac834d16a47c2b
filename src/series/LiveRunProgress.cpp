// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/LiveRunProgress.h"

#include <bit>

#include "series/IvChartPlotter.h"

namespace tarvix::series {

namespace {

bool sameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

}  // namespace

void LiveRunProgress::drawn(const Basis& basis, const SeriesStore& store,
                            std::optional<QPoint> marker) {
    basis_ = basis;
    valid_ = true;
    grew(store, marker);
}

void LiveRunProgress::grew(const SeriesStore& store, std::optional<QPoint> marker) {
    marker_ = marker;
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        const auto slot = static_cast<std::size_t>(segment);
        const float* current = store.liveCurrent(segment);
        const int count = IvChartPlotter::pointCount(current);
        counts_[slot] = count;
        lastVoltage_[slot] = store.liveVoltage(segment)[count];
        lastCurrent_[slot] = current[count];
    }
}

bool LiveRunProgress::onlyGrew(const Basis& basis, const SeriesStore& store) const {
    if (!valid_ || !(basis == basis_)) {
        return false;
    }
    int lastDrawnSegment = 0;
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        if (counts_[static_cast<std::size_t>(segment)] >= 1) {
            lastDrawnSegment = segment;
        }
    }
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        const auto slot = static_cast<std::size_t>(segment);
        const float* current = store.liveCurrent(segment);
        const int count = IvChartPlotter::pointCount(current);
        const int drawnCount = counts_[slot];
        if (count < drawnCount) {
            return false;
        }
        if (count > drawnCount && segment < lastDrawnSegment) {
            return false;  // it would have been drawn under a later segment
        }
        if (drawnCount >= 1) {
            if (!sameBits(store.liveVoltage(segment)[drawnCount], lastVoltage_[slot]) ||
                !sameBits(current[drawnCount], lastCurrent_[slot])) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace tarvix::series
