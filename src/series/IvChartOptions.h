// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bit>
#include <cstdint>

namespace tarvix::series {

// Axis limits of the I-V chart: current in amperes (Y), voltage in volts (X).
struct IvChartRanges {
    double currentMin = 0.0;
    double currentMax = 0.0;
    double voltageMin = 0.0;
    double voltageMax = 0.0;
};

// Bit for bit, as caches of drawings need: -0 and 0 give different tick texts.
inline bool sameRanges(const IvChartRanges& a, const IvChartRanges& b) {
    const auto bits = [](double value) { return std::bit_cast<std::uint64_t>(value); };
    return bits(a.currentMin) == bits(b.currentMin) && bits(a.currentMax) == bits(b.currentMax) &&
           bits(a.voltageMin) == bits(b.voltageMin) && bits(a.voltageMax) == bits(b.voltageMax);
}

// The window's state that a drawing of the I-V chart depends on.
struct IvChartOptions {
    bool logScale = true;          // CheckBox13 "Log scale"
    bool joinPoints = true;        // CheckBox35 "Line type"
    bool showStored = true;        // CheckBox12: draw the stored series over the live run
    float manualVoltage = 0.0f;    // ScrollBar1; its cursor line is drawn when not 0
    float cursorVoltage = 0.0f;    // ScrollBar2
    bool cursorLineShown = false;  // RadioButton2 "Voltage sweep" checked: draw cursorVoltage
    bool segmentFinished = false;  // the acquisition's segment-finished flag
};

}  // namespace tarvix::series
