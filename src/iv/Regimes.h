// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

#include <QStringList>
#include <memory>

#include "iv/CheckedBus.h"
#include "iv/ComplianceWatch.h"
#include "iv/IvHost.h"
#include "iv/IvSweep.h"
#include "iv/OutputGuard.h"
#include "iv/SegmentState.h"
#include "series/SeriesStore.h"

namespace tarvix::iv {

// Every regime here throws AcquisitionEnded when an exchange fails; the output is off by then,
// and a failed output-off is added to `problems`.

// A single resistance reading at address 24.
double measureResistance(CheckedBus& link, QStringList& problems);

// The current sweep: 81 points from I1 to I2 on segment 1, the voltage measured; `watch`
// tallies the points at the voltage compliance.
struct CurrentSweepSettings {
    double currentStart = 0;  // I1
    double currentEnd = 0;    // I2
    double voltageCompliance = 0;
    double range = 0;  // from the current range table
};
void runCurrentSweep(CheckedBus& link, series::SeriesStore& store, IvHost& host,
                     const CurrentSweepSettings& settings, ComplianceWatch& watch,
                     QStringList& problems);

// The fixed test of the 2636A: returns the reply text as it came; a reply that is no reading
// is said in `problems`.
QString test2636(CheckedBus& link, QStringList& problems);

// The manual regime: set-up, the recording loop that follows the operator's bar, and the end.
class ManualRegime {
  public:
    ManualRegime(CheckedBus& link, series::SeriesStore& store, SegmentState& segment, IvHost& host);

    // Arms the output guard, which switches the output off in finish() or, on any other way
    // out, when the regime is destroyed.
    void setUp(double range, const SweepOptions& options, QStringList& problems);
    // One point at the bar's voltage, as a move of the bar records it. Returns false when the
    // caller must end without a redraw (no usable model). A bar voltage beyond the model's
    // range, a full table or a failed exchange throws.
    bool recordBarPoint(int model, const SweepOptions& options);
    void finish(const SweepOptions& options, double holdLevel);

  private:
    bool atCompliance(double current, double level, const SweepOptions& options);

    CheckedBus& link_;
    series::SeriesStore& store_;
    SegmentState& segment_;
    IvHost& host_;
    IvSweep sweep_;
    std::unique_ptr<OutputGuard> guard_;
};

}  // namespace tarvix::iv
