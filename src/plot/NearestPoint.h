// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <optional>
#include <vector>

#include "plot/PlotAxis.h"
#include "plot/PlotSeries.h"
#include "plot/SeriesSummary.h"

namespace tarvix::plot {

// A point of a plot found by its position.
struct PointHit {
    int series = -1;        // index into the plot's series
    int segment = -1;       // index into the series' segments
    int point = -1;         // index into the segment's values
    double distance = 0.0;  // from the place asked about, in pixels
};

// The shown point nearest to `at` (pixels of the two axis maps), no farther than `reach`
// pixels; points a log axis cannot show are passed over. The summaries (one per series)
// let it look only into the chunks of points that can hold a nearer one.
std::optional<PointHit> nearestPoint(const std::vector<PlotSeries>& series,
                                     const std::vector<const SeriesSummary*>& summaries,
                                     const AxisMap& x, const AxisMap& y, QPointF at, double reach);

// Where one segment of a series crosses a value of x, with y taken between the two points.
struct Crossing {
    int series = -1;
    int segment = -1;
    double y = 0.0;
};
// Every crossing of x = `value` by the shown series, in series and segment order.
std::vector<Crossing> crossingsAt(const std::vector<PlotSeries>& series,
                                  const std::vector<const SeriesSummary*>& summaries, double value);

}  // namespace tarvix::plot
