// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/SampleFields.h"

#include <cmath>

#include "analysis/AnalysisHost.h"
#include "text/DecimalParse.h"

namespace tarvix::analysis {

namespace {

std::optional<double> positive(const AnalysisHost& host, const char* field) {
    const std::optional<double> value =
        text::parseDecimal(host.controlText(QString::fromLatin1(field)).trimmed());
    if (!value || !std::isfinite(*value) || !(*value > 0)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

SampleConditions readSampleConditions(const AnalysisHost& host) {
    return {positive(host, kThicknessField), positive(host, kTemperatureField),
            positive(host, kContactAreaField), positive(host, kRichardsonField)};
}

}  // namespace tarvix::analysis
