// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/RangeTables.h"

#include <array>
#include <utility>

namespace tarvix::iv {

std::optional<double> voltageRange(int model, double peak) {
    if (peak < 0 || (model != kModel2400 && model != kModel2410)) {
        return std::nullopt;
    }
    const double top = model == kModel2400 ? 200.0 : 1000.0;
    const std::array<std::pair<double, double>, 5> table = {{
        {0.2, 0.2},
        {2.0, 2.0},
        {20.0, 20.0},
        {200.0, top},
        {1000.0, 1000.0},
    }};
    for (const auto& [limit, range] : table) {
        if (peak <= limit) {
            return model == kModel2400 && limit > 200.0 ? std::nullopt : std::optional(range);
        }
    }
    return std::nullopt;
}

std::optional<double> currentRange(double peak) {
    constexpr std::array<double, 7> ranges = {1e-6, 1e-5, 1e-4, 1e-3, 0.02, 0.1, 1.0};
    constexpr std::array<double, 7> limits = {0.000001, 0.00001, 0.0001, 0.001, 0.02, 0.1, 1.0};
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (peak <= limits[i]) {
            return ranges[i];
        }
    }
    return std::nullopt;
}

}  // namespace tarvix::iv
