// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "analysis/FitPhysics.h"

namespace tarvix::analysis {

// "value ± error unit" as a physicist writes it: the error with two significant figures and
// the value to the same decimal place (at most seven figures of the value; a smaller error is
// then written in its own exponent form). Without an error (fewer than three points) the
// value alone with four figures. An empty unit leaves the number bare.
QString uncertainText(const UncertainValue& value, const QString& unit);

// The same with the SI prefix (f to T) that brings the value between 1 and 1000: "1.4440 ±
// 0.0021 MΩ".
QString uncertainSiText(const UncertainValue& value, const QString& unit);

}  // namespace tarvix::analysis
