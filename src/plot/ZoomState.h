// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include "plot/PlotAxis.h"

namespace tarvix::plot {

// The ranges of both axes of a plot.
struct PlotView {
    AxisRange x;
    AxisRange y;
    bool operator==(const PlotView& other) const = default;
};

// Where the operator has taken the view: nowhere (autoscale: the axes follow the data) or a
// view of their own, with the views before it for stepping back.
class ZoomState {
  public:
    bool autoscaled() const { return !view_.has_value(); }
    const std::optional<PlotView>& view() const { return view_; }
    // Shows `to`; with `newStep` the view shown until now (autoscale too) is kept for back(),
    // so that a gesture of many small moves (a turn of the wheel, a drag) is one step.
    void show(const PlotView& to, bool newStep);
    // Back to the view before the last step, or to autoscale; false when already there.
    bool back();
    // Autoscale, the steps forgotten.
    void home();
    int steps() const { return static_cast<int>(earlier_.size()); }

  private:
    std::optional<PlotView> view_;
    std::vector<std::optional<PlotView>> earlier_;
};

// The range zoomed by `factor` (below 1 zooms in) about `centre`, a value within it; a log
// axis zooms in its coordinates.
AxisRange zoomedAbout(const AxisRange& range, double centre, double factor);
// The range moved by `pixels` on the axis map (the content follows the mouse).
AxisRange pannedBy(const AxisMap& axis, double pixels);
// The values between two pixel positions, in order.
AxisRange rangeBetween(const AxisMap& axis, double pixelA, double pixelB);

}  // namespace tarvix::plot
