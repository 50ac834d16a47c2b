// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/StraightenedPlot.h"

namespace tarvix::plot {

namespace {

using analysis::Mechanism;

// What each straightening plots. Currents and voltages keep their units and prefixes; a
// root of a voltage keeps its unit without prefixes; logarithms are plain numbers.
struct StraightenedAxes {
    Quantity x;
    Quantity y;
    const char16_t* title;
};

const Quantity kVoltage{QStringLiteral("|V|"), QStringLiteral("V"), false, true};
const Quantity kRootVoltage{QStringLiteral("√|V|"), QStringLiteral("V^½"), false, false};

StraightenedAxes axesOf(Mechanism mechanism) {
    switch (mechanism) {
        case Mechanism::Ohm:
            return {kVoltage,
                    {QStringLiteral("|I|"), QStringLiteral("A"), false, true},
                    u"Ohm's law plot"};
        case Mechanism::PooleFrenkel:
            return {kRootVoltage,
                    {QStringLiteral("ln(|I|/|V|)"), QString(), false, false},
                    u"Poole–Frenkel plot"};
        case Mechanism::SpaceCharge:
            return {{QStringLiteral("log10|V|"), QString(), false, false},
                    {QStringLiteral("log10|I|"), QString(), false, false},
                    u"Space-charge-limited plot"};
        case Mechanism::Tunnel:
            return {kVoltage,
                    {QStringLiteral("ln(|I|/V²)"), QString(), false, false},
                    u"Tunnelling plot"};
        case Mechanism::Schottky:
            return {
                kRootVoltage, {QStringLiteral("ln|I|"), QString(), false, false}, u"Schottky plot"};
    }
    return {kVoltage, kVoltage, u""};
}

}  // namespace

Quantity straightenedX(Mechanism mechanism) {
    return axesOf(mechanism).x;
}

Quantity straightenedY(Mechanism mechanism) {
    return axesOf(mechanism).y;
}

QStringList straightenedFitText(const std::optional<analysis::FitReport>& fit) {
    return fit ? analysis::fitResultLines(*fit) : QStringList();
}

CurvePlot straightenedPlot(const StraightenedCurveView& curve,
                           const std::optional<analysis::FitReport>& fit) {
    const StraightenedAxes axes = axesOf(curve.mechanism);
    CurvePlot plot;
    plot.title = QString::fromUtf16(axes.title);
    plot.x = axes.x;
    plot.y = axes.y;
    plot.name = QStringLiteral("Series %1, segment %2").arg(curve.series).arg(curve.segment);
    plot.colour = curve.colour;
    plot.xs.assign(curve.x.begin(), curve.x.end());
    plot.ys.assign(curve.y.begin(), curve.y.end());
    if (curve.line.defined) {
        plot.fit = FitLine{curve.line.slope, curve.line.intercept};
    }
    plot.fitText = straightenedFitText(fit);
    return plot;
}

}  // namespace tarvix::plot
