// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace tarvix::series {
class IvChartGeometry;
}

namespace tarvix::analysis {

// The ends of the voltage window the straightenings will take their points from, as the
// selection reads them: a readout that shows exactly "0" stands for the chart's limit.
struct FitWindowEnds {
    double low = 0;
    double high = 0;
};
FitWindowEnds fitWindowEnds(const QString& lowerCaption, const QString& upperCaption,
                            float manualVoltage, float cursorVoltage, double voltageMin,
                            double voltageMax);

// Two dashed vertical lines at the window's ends over the I-V chart's plot area, drawn on the
// finished picture while the analysis tools are shown.
void drawFitWindowLines(QImage& picture, const series::IvChartGeometry& geometry,
                        const FitWindowEnds& ends);

}  // namespace tarvix::analysis
