// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include "sim/ScpiCommandTable.h"
#include "sim/ScpiSettings.h"

namespace tarvix::sim {

// The staircase sweep of a 24xx source: start, stop and step (or the number of points) of the
// voltage and of the current, linear or logarithmic, up or down. With the source's mode at
// SWEep, each reading of an acquisition takes the next point.
class SourceSweep {
  public:
    enum Quantity { kVolts, kAmps };

    // `limits` are the largest levels of volts and amps the unit sources.
    void addCommands(ScpiCommandTable& table, ScpiSettings& settings, std::array<double, 2> limits);
    void reset();

    int points(Quantity quantity) const;
    // The level of point `index` (the last one beyond the end).
    double level(Quantity quantity, int index) const;

  private:
    struct Levels {
        double start = 0.0;
        double stop = 0.0;
        double step = 0.0;
    };

    void addLevelCommands(ScpiCommandTable& table, Quantity quantity, double limit);

    std::array<Levels, 2> levels_{};
    int* spacing_ = nullptr;    // 0 linear, 1 logarithmic
    int* direction_ = nullptr;  // 0 up, 1 down
    int pointsSet_ = 0;         // the points asked for with SWEep:POINts, 0 when a step was
};

}  // namespace tarvix::sim
