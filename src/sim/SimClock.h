// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace tarvix::sim {

// The bench's time: seconds on a steady scale. Tests inject their own to drive the cryostat
// without waiting.
using SimClock = std::function<double()>;

// Seconds of std::chrono::steady_clock.
SimClock steadyClock();

}  // namespace tarvix::sim
