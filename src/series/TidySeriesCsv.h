// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::text {
struct CsvHeading;
}

namespace tarvix::series {

class SeriesStore;
struct ExportOptions;

// Writes every non-empty segment of series 1..seriesCount as a CSV table, one row per point:
// series, segment, point, voltage_V, current_A, label, then voltage_corrected_V when a series
// resistor is chosen and current_corrected_A when drift, noise floor or absolute value are
// ticked (a "# corrections:" line under the heading names them), and last compliance: 1 where
// the source's limit clipped the reading, otherwise 0.
// With corrections ticked the tables hold the corrected values and the copies the measured
// ones (the caller brings both up to date first); when some series carries the temperatures it
// was measured at (SeriesTemperatures), temperature_K, their mean, comes after compliance
// (empty for a series without); voltage_V and current_A are then the
// measured values and the corrected ones follow in their own columns. Returns 0 or the
// runtime's file-error code.
int writeTidySeriesCsv(const QString& path, const SeriesStore& store,
                       const ExportOptions& corrections, const text::CsvHeading& heading);

}  // namespace tarvix::series
