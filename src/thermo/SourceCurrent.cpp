// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/SourceCurrent.h"

#include <algorithm>

namespace tarvix::thermo {

double sourceRangeFor(double amperes) {
    static constexpr std::array<double, 7> kRanges{1e-6, 1e-5, 1e-4, 1e-3, 0.02, 0.1, 1.0};
    const auto range = std::lower_bound(kRanges.begin(), kRanges.end(), amperes);
    return range == kRanges.end() ? kRanges.back() : *range;
}

}  // namespace tarvix::thermo
