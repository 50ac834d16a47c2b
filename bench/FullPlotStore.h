// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>

#include "series/SeriesStore.h"

namespace tarvix::bench {

inline float diodeCurrent(float voltage, float scale) {
    return scale * 1e-7f * (std::exp(3.0f * voltage) - 1.0f);
}

// Segment s of a run sweeps back and forth over +-reach, as the sweep plan's zig-zag does.
inline float sweepVoltage(int segment, int point, int points, float reach) {
    const float t = static_cast<float>(point - 1) / static_cast<float>(std::max(points - 1, 1));
    return segment % 2 == 1 ? -reach + 2.0f * reach * t : reach - 2.0f * reach * t;
}

// The store at its limits: 150 series of 8 segments of 10000 diode points each, made once.
inline series::SeriesStore& fullPlotStore() {
    static series::SeriesStore* store = [] {
        auto* s = new series::SeriesStore;
        using Store = series::SeriesStore;
        for (int series = 1; series <= Store::kMaxSeries; ++series) {
            const float scale = 0.5f + static_cast<float>(series) / 50.0f;
            for (int segment = 1; segment <= Store::kSegments; ++segment) {
                float* voltage = s->storedVoltage(segment, series);
                float* current = s->storedCurrent(segment, series);
                const float reach = 0.25f * static_cast<float>(segment);
                voltage[0] = current[0] = static_cast<float>(Store::kMaxPoints);
                for (int p = 1; p <= Store::kMaxPoints; ++p) {
                    voltage[p] = sweepVoltage(segment, p, Store::kMaxPoints, reach);
                    current[p] = diodeCurrent(voltage[p], scale);
                }
            }
        }
        s->seriesCount = Store::kMaxSeries;
        return s;
    }();
    return *store;
}

}  // namespace tarvix::bench
