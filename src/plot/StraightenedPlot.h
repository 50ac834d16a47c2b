// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRgb>
#include <QStringList>
#include <optional>
#include <span>

#include "analysis/FitReport.h"
#include "analysis/LineFit.h"
#include "analysis/Mechanism.h"
#include "plot/CurveSource.h"

namespace tarvix::plot {

// A straightened I-V curve as the analysis drew it: which straightening, of which stored
// segment, its points in the straightening's coordinates and the line fitted to them.
struct StraightenedCurveView {
    analysis::Mechanism mechanism = analysis::Mechanism::Ohm;
    int segment = 0;
    int series = 0;
    std::span<const double> x;
    std::span<const double> y;
    analysis::LineFit line;
    QRgb colour = 0;
};

// The plot of a straightening: what it plots on each axis ("ln(|I|/|V|)" against
// "√|V| (V^½)"), its points and its line; the fit's numbers are the report's lines.
CurvePlot straightenedPlot(const StraightenedCurveView& curve,
                           const std::optional<analysis::FitReport>& fit);
// The fit's numbers: slope and intercept with units and standard errors, R², the window and
// the mechanism's quantity; nothing without a fit.
QStringList straightenedFitText(const std::optional<analysis::FitReport>& fit);
Quantity straightenedX(analysis::Mechanism mechanism);
Quantity straightenedY(analysis::Mechanism mechanism);

}  // namespace tarvix::plot
