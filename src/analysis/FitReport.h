#pragma once

#include <QString>
#include <optional>

#include "analysis/LineFit.h"
#include "analysis/Mechanism.h"

namespace tarvix::analysis {

// Everything the operator is told about one straightening's fit.
struct FitReport {
    Mechanism mechanism = Mechanism::Ohm;
    LineFit line;
    FitStatistics statistics;
    double windowLow = 0;  // the voltage window the points were taken from
    double windowHigh = 0;
    std::optional<double> resistance;  // ohms, Ohm's law only
};

// Three short lines under the resistance: slope and intercept with their standard errors,
// then R^2, the number of points and the window.
QString fitSummaryText(const FitReport& report);

// For the clipboard: a header line and a value line, tab-separated, full precision.
QString fitClipboardText(const FitReport& report);

}  // namespace tarvix::analysis
