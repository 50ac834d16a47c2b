// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariant>
#include <optional>
#include <vector>

#include "mirror/MeasurementRows.h"

namespace tarvix::mirror {

// One row of the server's point_block: up to kPointsPerBlock points of a segment, each
// column a PostgreSQL array literal or null. `idx` is null while the indexes run on from
// `first`; a column without a single reading is null; the time of day goes as whole
// milliseconds (`tMs`) when every time is one, else as it is (`t`). `w` is left out
// (`wDerived`) when every point's is the thermocouple temperature that the server computes
// from `x` and `z` to the very same number.
struct PointBlock {
    int first = 0;
    QVariant idx, x, y, z, w, t, tMs;
    bool wDerived = false;
};

inline constexpr qsizetype kPointsPerBlock = 1000;

// The blocks of a segment's points, in order of index.
std::vector<PointBlock> pointBlocks(const PointColumns& points);

// The thermocouple temperature (K) as the server's thermocouple_kelvin computes it from the
// thermocouple's volts and the reference temperature (K), each step rounded on its own; none
// where the server's arithmetic would refuse a step (overflow, underflow) or an input is
// missing.
std::optional<double> serverThermocoupleKelvin(double volts, double reference);

// The month (its first day, yyyy-MM-01) of a measurement that started at `started` (ISO
// 8601), in whose partition its points are kept; 1970-01-01 when the start is not known.
QString pointMonth(const QVariant& started);

}  // namespace tarvix::mirror
