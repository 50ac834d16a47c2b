// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "plot/PlotAxis.h"
#include "plot/PlotSeries.h"
#include "plot/ZoomState.h"

namespace tarvix::plot {

// A point the operator pinned, with its label.
struct PinnedMarker {
    double x = 0.0;
    double y = 0.0;
    QString label;
};

// Everything one picture of a plot shows.
struct PlotScene {
    Quantity xQuantity;
    Quantity yQuantity;
    PlotView view;
    std::vector<PlotSeries> series;
    int highlighted = -1;  // index into series: drawn thicker, on top
    std::vector<PinnedMarker> markers;
    std::optional<double> cursorX;  // a vertical line, such as the main chart's cursor
    QString notice;                 // said inside the plot: "3 points ≤ 0 not shown"
    std::optional<FitLine> fit;     // drawn across the plot
    QStringList fitText;            // the fit's numbers, in a box within the plot
};

}  // namespace tarvix::plot
