// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/PlotSeries.h"

namespace tarvix::plot {

int PlotSeries::points() const {
    int total = 0;
    for (const PlotSegment& segment : segments) {
        total += segment.count;
    }
    return total;
}

QString seriesLabel(const PlotSeries& series) {
    if (series.live) {
        return QStringLiteral("running");
    }
    return series.name.isEmpty() ? QStringLiteral("#%1").arg(series.number) : series.name;
}

}  // namespace tarvix::plot
