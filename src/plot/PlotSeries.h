// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRgb>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "plot/PlotAxis.h"

namespace tarvix::plot {

// One stretch of points of a series, joined by lines: an I-V segment, a record, a sweep.
// The arrays belong to the source and hold `count` values each.
struct PlotSegment {
    int number = 1;  // as the source counts them: "Sweep (1..8)"
    const float* x = nullptr;
    const float* y = nullptr;
    int count = 0;
    // The points flagged when measured (at compliance), as indices into the arrays, rising.
    std::vector<int> flagged;
};

// One series as the plot shows it.
struct PlotSeries {
    // The source's own name for the series (the store's slot), which stays with it; 0 for
    // the run being measured.
    int key = 0;
    int number = 0;     // the number the operator reads: 1, 2, ... in the source's order
    bool live = false;  // the run being measured
    // What the legend, the markers and the readout call the series where not "#number"
    // ("running" for the live one): a curve handed over whole names itself.
    QString name;
    QString comment;
    QString date;
    QRgb colour = 0;
    bool shown = true;
    // Each point marked and none joined: points that scatter about a line (a straightened
    // curve), which the plot draws on top of the other series.
    bool dots = false;
    // Moves whenever a point of the series may have changed.
    std::uint64_t revision = 0;
    std::vector<PlotSegment> segments;

    int points() const;
};

// "running", the series' own name, or "#3".
QString seriesLabel(const PlotSeries& series);

// A straight line y = intercept + slope * x fitted to a plot's points, in the axes' units.
struct FitLine {
    double slope = 0.0;
    double intercept = 0.0;
};

// Where a plot gets its series from: the I-V store, a four-probe record, an LCR sweep, a
// curve handed over whole (CurveSource). The plot window asks it again whenever stamp()
// moves; everything else about the plot (zoom, readout, pictures) is the window's.
class PlotSource {
  public:
    virtual ~PlotSource() = default;
    // What the plot of this source is called where there is a choice: "Resistance against
    // temperature".
    virtual QString title() const = 0;
    virtual Quantity xQuantity() const = 0;
    virtual Quantity yQuantity() const = 0;
    // The x axis is logarithmic (frequencies); the y axis is the operator's choice.
    virtual bool xLog() const { return false; }
    // A cheap number that moves whenever series() would give something else.
    virtual std::uint64_t stamp() const = 0;
    // Moves when the series are replaced by unrelated ones (another straightening): the plot
    // then starts afresh, autoscaled with nothing hidden or pinned. A change of the
    // quantities does the same.
    virtual std::uint64_t generation() const { return 0; }
    // The series as they stand: the stored ones in order, the running one last.
    virtual std::vector<PlotSeries> series() const = 0;
    // What the readout says of one point: the series, the segment and the values.
    virtual QString pointText(const PlotSeries& series, const PlotSegment& segment,
                              int point) const = 0;
    // A line fitted to the points, drawn across the plot, and the fit's numbers, shown in a
    // box within it and by the recipes' "plot fit:" lines.
    virtual std::optional<FitLine> fitLine() const { return std::nullopt; }
    virtual QStringList fitText() const { return {}; }
};

}  // namespace tarvix::plot
