// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/FrequencyView.h"

namespace tarvix::lcr {

namespace {

const QString kPrimaryText = QStringLiteral("Prim");
const QString kSecondaryText = QStringLiteral("Seco");
const QString kFrequencyText = QStringLiteral("F[Hz]");

struct Axis {
    const SweepArray& values;
    double min;
    double max;
};

void fill(PlotSet& plot, const Axis& x, const Axis& y, const QString& xText, const QString& yText) {
    plot.plotX = x.values;
    plot.plotY = y.values;
    plot.xMin = x.min;
    plot.xMax = x.max;
    plot.yMin = y.min;
    plot.yMax = y.max;
    plot.xText = xText;
    plot.yText = yText;
}

}  // namespace

void selectFrequencyView(PlotSet& plot, const FreqSweep& sweep, FrequencyView view,
                         ViewSelection form) {
    const Axis frequency{sweep.sweepFreq, sweep.Fmin, sweep.Fmax};
    const Axis primary{sweep.sweepPrimary, sweep.primaryMin, sweep.primaryMax};
    const Axis secondary{sweep.sweepSecondary, sweep.secondaryMin, sweep.secondaryMax};
    switch (view) {
        case FrequencyView::PrimaryFromFrequency:
            fill(plot, frequency, primary, kFrequencyText, kPrimaryText);
            break;
        case FrequencyView::SecondaryFromFrequency:
            fill(plot, frequency, secondary, QString(), kSecondaryText);
            break;
        case FrequencyView::PrimaryFromSecondary:
            // The two forms plot the pair either way round; the caption names what each axis
            // shows.
            if (form == ViewSelection::ViewChange) {
                fill(plot, secondary, primary, kSecondaryText, kPrimaryText);
            } else {
                fill(plot, primary, secondary, kPrimaryText, kSecondaryText);
            }
            break;
    }
}

}  // namespace tarvix::lcr
