// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include "analysis/FitPhysics.h"
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
    SampleConditions conditions;  // as the fields read when the quantities were derived
    FitPhysics physics;
};

// The fit as lines of text, for the fit column and the plot window: slope and intercept with
// their standard errors and units; R^2, the number of points and the window; then the
// mechanism's quantities ("R = 1.4440 ± 0.0021 MΩ", "εr = ...", "φB = ... eV"), or what a
// quantity still needs.
QStringList fitResultLines(const FitReport& report);

// The same lines, one under the other.
QString fitSummaryText(const FitReport& report);

// For the clipboard: a header line and a value line, tab-separated, full precision.
QString fitClipboardText(const FitReport& report);

}  // namespace tarvix::analysis
