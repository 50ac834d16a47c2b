#pragma once

#include <QString>
#include <optional>

#include "bus/GpibBus.h"
#include "iv/IvHost.h"
#include "iv/IvSweep.h"
#include "iv/SegmentState.h"
#include "series/SeriesStore.h"

namespace tarvix::iv {

// A single resistance reading at address 24. Empty when the reading failed (the output is
// then left on, as the instrument was told).
std::optional<double> measureResistance(bus::GpibBus& gpib);

// The current sweep: 81 points from I1 to I2 on segment 1, the voltage measured.
struct CurrentSweepSettings {
    double currentStart = 0;  // I1
    double currentEnd = 0;    // I2
    double voltageCompliance = 0;
};
// False when the peak current has no range (the set-up commands were sent all the same).
bool runCurrentSweep(bus::GpibBus& gpib, series::SeriesStore& store, IvHost& host,
                     const CurrentSweepSettings& settings);

// The fixed test of the 2636A: returns the reply text, empty when the reading failed.
std::optional<QString> test2636(bus::GpibBus& gpib);

// The manual regime: set-up, the recording loop that follows the operator's bar, and the end.
class ManualRegime {
  public:
    ManualRegime(bus::GpibBus& gpib, series::SeriesStore& store, SegmentState& segment,
                 IvHost& host);

    void setUp(double range, const SweepOptions& options);
    // One point at the bar's voltage, as a move of the bar records it. Returns false when the
    // caller must end without a redraw (no usable model, or no range: then stop is requested).
    bool recordBarPoint(int model, const SweepOptions& options);
    void finish(const SweepOptions& options, double holdLevel);

  private:
    bus::GpibBus& gpib_;
    series::SeriesStore& store_;
    SegmentState& segment_;
    IvHost& host_;
    IvSweep sweep_;
    QByteArray reply_;
};

}  // namespace tarvix::iv
