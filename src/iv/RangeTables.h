// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace tarvix::iv {

enum SourceMeterModel : int {
    kNoModel = 0,
    kModel2400 = 2400,
    kModel2410 = 2410,
    kModel2636 = 2636
};

// The source-measure unit's voltage range for a peak voltage; none beyond the model's top
// range or for a negative peak (no enabled segment).
std::optional<double> voltageRange(int model, double peak);

// The current range of the current sweep; none above 1 A.
std::optional<double> currentRange(double peak);

}  // namespace tarvix::iv
