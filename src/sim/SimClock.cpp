// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimClock.h"

#include <chrono>

namespace tarvix::sim {

SimClock steadyClock() {
    return [] {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::duration<double>(since).count();
    };
}

}  // namespace tarvix::sim
