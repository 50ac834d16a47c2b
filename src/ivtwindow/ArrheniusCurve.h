// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include "ivtemp/Arrhenius.h"
#include "plot/CurveSource.h"

namespace tarvix::ivtwindow {

// The Arrhenius plot as the plot window shows it: ln|I| against 1000/T in order of
// temperature, the fitted line and the activation energy with the fit's numbers.
plot::CurvePlot arrheniusCurve(const std::vector<ivtemp::ArrheniusPoint>& points,
                               const std::optional<ivtemp::ArrheniusFit>& fit);

}  // namespace tarvix::ivtwindow
