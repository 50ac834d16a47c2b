// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cmath>
#include <optional>

namespace tarvix::series {

class SeriesStore;

// The sample's temperatures read just before and just after a series was measured. They ride
// in the series' segment labels (" @ 137.24..138.41 K" after the time), the one line per
// segment a .ktl file keeps beside the points, so that a saved and reopened series, the
// journal and the tidy table all have them.
struct SeriesTemperatures {
    double beforeK = 0;
    double afterK = 0;
    // To a thousandth, all the two readings' hundredths give, so that it reads as written.
    double meanK() const { return std::round((beforeK + afterK) * 500) / 1000; }
};

QString labelWithTemperatures(const QString& label, const SeriesTemperatures& temperatures);
// The temperatures at the end of a label; nothing when it carries none.
std::optional<SeriesTemperatures> temperaturesInLabel(const QString& label);
// Those of the first non-empty segment of stored series `series` that carries them.
std::optional<SeriesTemperatures> seriesTemperatures(const SeriesStore& store, int series);

}  // namespace tarvix::series
