// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/CurveSource.h"

#include <algorithm>

#include "plot/SiText.h"

namespace tarvix::plot {

void CurveSource::set(CurvePlot plot, bool anotherCurve) {
    plot_ = std::move(plot);
    const std::size_t count = std::min(plot_.xs.size(), plot_.ys.size());
    plot_.xs.resize(count);
    plot_.ys.resize(count);
    ++stamp_;
    ++revision_;
    if (anotherCurve) {
        ++generation_;
    }
}

void CurveSource::setFitText(const QStringList& lines) {
    if (lines != plot_.fitText) {
        plot_.fitText = lines;
        ++stamp_;
    }
}

std::vector<PlotSeries> CurveSource::series() const {
    if (empty()) {
        return {};
    }
    PlotSeries curve;
    curve.key = 1;
    curve.number = 1;
    curve.name = plot_.name;
    curve.colour = plot_.colour;
    curve.dots = plot_.dots;
    curve.revision = revision_;
    curve.segments.push_back(
        {1, plot_.xs.data(), plot_.ys.data(), static_cast<int>(plot_.xs.size()), {}});
    return {curve};
}

QString CurveSource::pointText(const PlotSeries& series, const PlotSegment& segment,
                               int point) const {
    const auto value = [](double v, const Quantity& quantity) {
        return QStringLiteral("%1 = %2").arg(quantity.name,
                                             siValueText(v, quantity.unit, 4, quantity.siPrefixes));
    };
    return QStringLiteral("%1, point %2: %3, %4")
        .arg(series.name, QString::number(point + 1), value(segment.x[point], plot_.x),
             value(segment.y[point], plot_.y));
}

}  // namespace tarvix::plot
