// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

#include "journal/MeasurementContext.h"

namespace tarvix::lcr {
struct SweepSettings;
}

namespace tarvix::shell {

class Controls;
struct IvState;

// How the database names the LCR meter's bias modes 0, 1 and 2.
inline constexpr std::array<const char*, 3> kLcrBiasNames = {"OFF", "EXT", "INT"};

// What the database keeps beside the points of a measurement: the comment, the settings on
// the window that shaped a run of `kind` ("iv", "four-probe", "thermocouple") and the
// identification of every instrument the last Start found on the bus.
journal::MeasurementContext describeMeasurement(const Controls& controls, const IvState& state,
                                                const QString& kind);

// The same for an LCR frequency sweep run with `settings`.
journal::MeasurementContext describeLcrSweep(const Controls& controls,
                                             const lcr::SweepSettings& settings);

}  // namespace tarvix::shell
