// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::text {
struct CsvHeading;
}

namespace tarvix::lcr {

struct FreqSweep;

// The column name of a measured parameter's code: its caption in lower case with every run
// of other characters made one "_" ("CP" gives c_parallel, "Z" z_impedance); `fallback` for
// the meter's own choice ("A"), none ("N") or an unknown code.
QString parameterColumnName(const QString& code, const QString& fallback);

// Writes points 1..sweepCount of the sweep as a CSV table: frequency_Hz and the primary and
// secondary parameters under their names, the sweep's settings in the "#" lines. Returns 0 or
// the runtime's file-error code.
int writeTidySweepCsv(const QString& path, const FreqSweep& sweep, const text::CsvHeading& heading);

}  // namespace tarvix::lcr
