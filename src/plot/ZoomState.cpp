// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/ZoomState.h"

#include <algorithm>
#include <cmath>

namespace tarvix::plot {

// Leaving autoscale always starts a step: back() returns to autoscale, not to the ranges
// it had at that moment.
void ZoomState::show(const PlotView& to, bool newStep) {
    if (newStep || !view_) {
        earlier_.push_back(view_);
    }
    view_ = to;
}

bool ZoomState::back() {
    if (earlier_.empty()) {
        const bool changed = view_.has_value();
        view_.reset();
        return changed;
    }
    view_ = earlier_.back();
    earlier_.pop_back();
    return true;
}

void ZoomState::home() {
    view_.reset();
    earlier_.clear();
}

AxisRange zoomedAbout(const AxisRange& range, double centre, double factor) {
    const AxisMap axis(range, 0.0, 1.0);
    const double low = axis.coordinate(range.low);
    const double high = axis.coordinate(range.high);
    const double middle = axis.coordinate(centre);
    AxisRange zoomed = range;
    zoomed.low = axis.valueAt(middle - (middle - low) * factor);
    zoomed.high = axis.valueAt(middle + (high - middle) * factor);
    return zoomed.usable() ? zoomed : range;
}

AxisRange pannedBy(const AxisMap& axis, double pixels) {
    const double shift = pixels / axis.scale();
    AxisRange panned = axis.range();
    panned.low = axis.valueAt(axis.coordinate(panned.low) - shift);
    panned.high = axis.valueAt(axis.coordinate(panned.high) - shift);
    return panned.usable() ? panned : axis.range();
}

AxisRange rangeBetween(const AxisMap& axis, double pixelA, double pixelB) {
    const double a = axis.valueAtPixel(pixelA);
    const double b = axis.valueAtPixel(pixelB);
    return {std::min(a, b), std::max(a, b), axis.log()};
}

}  // namespace tarvix::plot
