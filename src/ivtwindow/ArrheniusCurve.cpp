// SPDX-License-Identifier: GPL-3.0-or-later
#include "ivtwindow/ArrheniusCurve.h"

#include <QObject>
#include <algorithm>

#include "plot/SeriesPalette.h"

namespace tarvix::ivtwindow {

plot::CurvePlot arrheniusCurve(const std::vector<ivtemp::ArrheniusPoint>& points,
                               const std::optional<ivtemp::ArrheniusFit>& fit) {
    std::vector<ivtemp::ArrheniusPoint> sorted = points;
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.inverseKilokelvin() < b.inverseKilokelvin();
    });
    plot::CurvePlot curve;
    curve.title = QObject::tr("Arrhenius plot");
    // The units go into the titles: the ticks are plain numbers.
    curve.x = {QStringLiteral("1000/T (1/K)"), QString(), false, false};
    curve.y = {QStringLiteral("ln(|I| / A)"), QString(), false, false};
    curve.colour = plot::seriesColour(1);
    for (const auto& point : sorted) {
        curve.xs.push_back(static_cast<float>(point.inverseKilokelvin()));
        curve.ys.push_back(static_cast<float>(point.lnAmps));
    }
    if (!sorted.empty()) {
        curve.name = QObject::tr("I at %1 V").arg(sorted.front().volts);
    }
    if (fit) {
        curve.fit = plot::FitLine{fit->slope, fit->intercept};
        curve.fitText << ivtemp::activationText(*fit)
                      << QObject::tr("slope %1 K, intercept %2")
                             .arg(fit->slope * 1000.0, 0, 'g', 5)
                             .arg(fit->intercept, 0, 'g', 5)
                      << QObject::tr("%n series", nullptr, static_cast<int>(sorted.size()));
    }
    return curve;
}

}  // namespace tarvix::ivtwindow
