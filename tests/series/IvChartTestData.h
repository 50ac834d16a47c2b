// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <cmath>

#include "series/SeriesStore.h"

// Stores, live runs and picture comparisons shared by the I-V chart tests.
namespace tarvix::series::testdata {

inline const QSize kPaintBox(633, 425);

// A diode-like curve from v0 to v1 with `count` points (index 0 gets the count).
inline void fillCurve(float* voltage, float* current, int count, float v0, float v1, float scale) {
    voltage[0] = static_cast<float>(count);
    current[0] = static_cast<float>(count);
    for (int p = 1; p <= count; ++p) {
        const float v = count == 1 ? v0 : v0 + (v1 - v0) * static_cast<float>(p - 1) / (count - 1);
        voltage[p] = v;
        current[p] = scale * (std::exp(2.0f * v) - 1.0f) * 1e-6f;
    }
}

inline void fillLiveSegment(SeriesStore& store, int segment, int count, float v0, float v1,
                            float scale = 1.0f) {
    fillCurve(store.liveVoltage(segment), store.liveCurrent(segment), count, v0, v1, scale);
}

inline void fillStoredSegment(SeriesStore& store, int series, int segment, int count, float v0,
                              float v1, float scale = 1.0f) {
    fillCurve(store.storedVoltage(segment, series), store.storedCurrent(segment, series), count, v0,
              v1, scale);
}

// `seriesCount` series of eight segments sweeping back and forth, each series a little
// steeper, so that the curves cross each other and the live run.
inline void fillStoredSeries(SeriesStore& store, int seriesCount, int points, bool labels) {
    for (int series = 1; series <= seriesCount; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            const float reach = 0.25f * static_cast<float>(segment);
            const bool forward = segment % 2 == 1;
            fillStoredSegment(store, series, segment, points, forward ? -reach : reach,
                              forward ? reach : -reach, 1.0f + 0.1f * static_cast<float>(series));
            if (labels && (series + segment) % 3 != 0) {
                store.segmentLabel(segment, series) =
                    QStringLiteral("12:00:%1/%2ms").arg(series).arg(segment * 10);
            }
        }
    }
    store.seriesCount = seriesCount;
}

inline int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return -1;
    }
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF) ? 1 : 0;
        }
    }
    return count;
}

}  // namespace tarvix::series::testdata
