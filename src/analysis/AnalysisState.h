// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <span>
#include <vector>

#include "analysis/FitReport.h"
#include "series/SeriesStore.h"

namespace tarvix::analysis {

// What the analysis keeps between clicks: the selection of the last analysis or initial-graph
// click (which the save buttons reuse), the straightened points, the fit and the plot range.
// The work arrays are allocated once; entries 0..fitCount-1 are in use.
struct AnalysisState {
    static constexpr int kCapacity = series::SeriesStore::kMaxPoints;

    AnalysisState() : fitX(kCapacity, 0.0), fitY(kCapacity, 0.0) {}

    std::span<const double> xs() const { return {fitX.data(), static_cast<size_t>(fitCount)}; }
    std::span<const double> ys() const { return {fitY.data(), static_cast<size_t>(fitCount)}; }

    // True when the selection names a slot of the store: the saves read nothing else.
    bool selectionInStore() const {
        return series::SeriesStore::validSegment(analysisSegment) &&
               series::SeriesStore::validSeries(analysisSeries);
    }

    int analysisSegment = 0;  // 0 until the first analysis or initial-graph click
    int analysisSeries = 0;
    std::vector<double> fitX;
    std::vector<double> fitY;
    int fitCount = 0;
    double fitIntercept = 0;
    double fitSlope = 0;
    bool fitDefined = false;  // false when the points do not determine a line
    QString scatterText;
    float plotXMin = 0;
    float plotXMax = 0;
    float plotYMin = 0;
    float plotYMax = 0;
    double ohmResistance = 0;
    std::optional<FitReport> fit;  // of the last straightening that drew a chart
};

}  // namespace tarvix::analysis
