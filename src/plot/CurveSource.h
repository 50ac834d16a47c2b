// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRgb>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "plot/PlotAxis.h"
#include "plot/PlotSeries.h"

namespace tarvix::plot {

// Everything the plot window needs of one curve that a part of the program hands over whole:
// the straightened I-V curve with its fitted line and numbers, or any other plot of points
// (an Arrhenius plot of R against 1/T). Fill one, give it to a CurveSource and offer that
// source to the window (PlotHost::sources()); autoscale, zoom, readout, legend and pictures
// then come with the window.
struct CurvePlot {
    QString title;  // the plot's name in the window's choice: "Poole–Frenkel plot"
    Quantity x;     // name and unit of each axis: {"√|V|", "V^½"}
    Quantity y;
    QString name;  // the curve's name in the legend and the readout: "series 3, sweep 2"
    QRgb colour = 0;
    bool dots = true;  // each point marked; false joins them by lines
    std::vector<float> xs;
    std::vector<float> ys;  // as many as xs
    std::optional<FitLine> fit;
    QStringList fitText;  // the fit's numbers, one line each, with their units
};

// A plot source that shows one CurvePlot, as given last.
class CurveSource : public PlotSource {
  public:
    // Shows `plot`. With `anotherCurve` the window starts afresh (autoscale, nothing hidden
    // or pinned); without, it keeps its zoom, as for the same curve with new numbers.
    void set(CurvePlot plot, bool anotherCurve = true);
    // The fit's numbers anew (the sample's fields changed); nothing moves when they are equal.
    void setFitText(const QStringList& lines);
    const CurvePlot& plot() const { return plot_; }
    bool empty() const { return plot_.xs.empty(); }

    QString title() const override { return plot_.title; }
    Quantity xQuantity() const override { return plot_.x; }
    Quantity yQuantity() const override { return plot_.y; }
    std::uint64_t stamp() const override { return stamp_; }
    std::uint64_t generation() const override { return generation_; }
    std::vector<PlotSeries> series() const override;
    QString pointText(const PlotSeries& series, const PlotSegment& segment,
                      int point) const override;
    std::optional<FitLine> fitLine() const override { return plot_.fit; }
    QStringList fitText() const override { return plot_.fitText; }

  private:
    CurvePlot plot_;
    std::uint64_t stamp_ = 1;
    std::uint64_t revision_ = 1;  // of the points
    std::uint64_t generation_ = 0;
};

}  // namespace tarvix::plot
