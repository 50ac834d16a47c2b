// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <span>

#include "analysis/Mechanism.h"

namespace tarvix::analysis {

// The voltage window of the straightenings: the manual voltage is its lower end, the sweep
// cursor its upper end. A readout label that shows exactly "0" lifts that end to the chart's
// range, and the voltage itself takes the range's value (the window then sees it too).
struct VoltageWindow {
    QString lowerCaption;  // Label23
    QString upperCaption;  // Label24
    double voltageMin = 0;
    double voltageMax = 0;
    float* manualVoltage = nullptr;
    float* cursorVoltage = nullptr;
};

// Takes the points 1..count of one stored segment (index 0 holds the count) whose current and
// voltage are both non-zero and whose voltage lies in the window, and writes the mechanism's
// X and Y of their magnitudes to x and y. Returns how many were taken (at most x.size()).
int selectPoints(const float* voltage, const float* current, int count, Mechanism mechanism,
                 VoltageWindow& window, std::span<double> x, std::span<double> y);

}  // namespace tarvix::analysis
