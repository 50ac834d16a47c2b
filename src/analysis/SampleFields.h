// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

#include "analysis/FitPhysics.h"

namespace tarvix::analysis {

class AnalysisHost;

// The fit column's fields that describe the sample, by control name.
inline constexpr const char* kThicknessField = "FitThickness";      // nm
inline constexpr const char* kTemperatureField = "FitTemperature";  // K
inline constexpr const char* kContactAreaField = "FitContactArea";  // cm^2
inline constexpr const char* kRichardsonField = "FitRichardson";    // A cm^-2 K^-2
inline constexpr std::array<const char*, 4> kSampleFields = {kThicknessField, kTemperatureField,
                                                             kContactAreaField, kRichardsonField};

// The fields as the fit reads them: a text that is not a positive finite number gives no
// value.
SampleConditions readSampleConditions(const AnalysisHost& host);

}  // namespace tarvix::analysis
