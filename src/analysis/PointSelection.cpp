// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/PointSelection.h"

#include <algorithm>
#include <cmath>

#include "series/SeriesStore.h"

namespace tarvix::analysis {

namespace {

const QString kNoLimit = QStringLiteral("0");

}  // namespace

int selectPoints(const float* voltage, const float* current, int count, Mechanism mechanism,
                 VoltageWindow& window, std::span<double> x, std::span<double> y) {
    const MechanismInfo& info = mechanismInfo(mechanism);
    const int capacity = static_cast<int>(std::min(x.size(), y.size()));
    // The segment has kMaxPoints slots after the count, whatever the count float claims.
    count = std::min(count, series::SeriesStore::kMaxPoints);
    int taken = 0;
    for (int p = 1; p <= count && taken < capacity; ++p) {
        const float v = voltage[p];
        const float i = current[p];
        if (i == 0 || v == 0) {
            continue;
        }
        if (window.lowerCaption == kNoLimit) {
            *window.manualVoltage = static_cast<float>(window.voltageMin);
        }
        if (window.upperCaption == kNoLimit) {
            *window.cursorVoltage = static_cast<float>(window.voltageMax);
        }
        if (v < *window.manualVoltage || v > *window.cursorVoltage) {
            continue;
        }
        const double absVoltage = std::abs(static_cast<double>(v));
        const double absCurrent = std::abs(static_cast<double>(i));
        x[static_cast<size_t>(taken)] = info.transformX(absVoltage);
        y[static_cast<size_t>(taken)] = info.transformY(absCurrent, absVoltage);
        ++taken;
    }
    return taken;
}

}  // namespace tarvix::analysis
