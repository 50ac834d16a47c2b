// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/PlotAxis.h"

#include <cmath>

namespace tarvix::plot {

QString axisTitle(const Quantity& quantity, bool log) {
    const QString name =
        log && quantity.magnitudeOnLog ? QStringLiteral("|%1|").arg(quantity.name) : quantity.name;
    return quantity.unit.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, quantity.unit);
}

bool AxisRange::usable() const {
    return std::isfinite(low) && std::isfinite(high) && low < high && (!log || low > 0.0);
}

AxisMap::AxisMap(const AxisRange& range, double pixelLow, double pixelHigh, bool magnitude)
    : range_(range), magnitude_(magnitude) {
    const double low = coordinate(range.low);
    const double high = coordinate(range.high);
    const double span = high - low;
    scale_ = span != 0.0 && std::isfinite(span) ? (pixelHigh - pixelLow) / span : 1.0;
    offset_ = pixelLow - scale_ * low;
}

double AxisMap::valueAt(double coordinate) const {
    return range_.log ? std::pow(10.0, coordinate) : coordinate;
}

}  // namespace tarvix::plot
