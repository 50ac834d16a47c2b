// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <vector>

#include "plot/PlotAxis.h"

namespace tarvix::plot {

// One tick of an axis; a tick without text is a minor one (the 2..9 between decades).
struct AxisTick {
    double value = 0.0;
    QString text;
};

// The step of 1, 2 or 5 times a power of ten that puts between 4 and 10 ticks into
// [low, high] (low < high).
double linearTickStep(double low, double high);

// The ticks of an axis with their labels: on a linear axis at the round step, every label
// under the one SI prefix that suits the largest of them ("−20 µA", "0", "20 µA"); on a log
// axis at whole decades ("10⁻⁹"), or at 1, 2 and 5 times a decade when the range holds
// fewer than two of them.
std::vector<AxisTick> axisTicks(const AxisRange& range, const Quantity& quantity);

}  // namespace tarvix::plot
