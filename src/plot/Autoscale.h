// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plot/PlotAxis.h"
#include "plot/SeriesSummary.h"

namespace tarvix::plot {

// The range an axis takes to show every value of `box`: a linear axis a little wider than
// the values, its ends on a fifth of a tick step so that it does not move with every new point;
// a log axis the same in decades, its ends on tenths of a decade (whole decades when fewer
// than two would be labelled).
AxisRange autoscaleRange(const ValueBox& box, bool log);

}  // namespace tarvix::plot
