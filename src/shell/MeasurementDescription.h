#pragma once

#include <QString>

#include "journal/MeasurementContext.h"

namespace tarvix::lcr {
struct SweepSettings;
}

namespace tarvix::shell {

class Controls;
struct IvState;

// What the database keeps beside the points of a measurement: the comment, the settings on
// the window that shaped a run of `kind` ("iv", "four-probe", "thermocouple") and the
// identification of every instrument the last Start found on the bus.
journal::MeasurementContext describeMeasurement(const Controls& controls, const IvState& state,
                                                const QString& kind);

// The same for an LCR frequency sweep run with `settings`.
journal::MeasurementContext describeLcrSweep(const Controls& controls,
                                             const lcr::SweepSettings& settings);

}  // namespace tarvix::shell
