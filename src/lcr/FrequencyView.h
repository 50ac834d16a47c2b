// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "lcr/FreqSweep.h"

namespace tarvix::lcr {

// GroupBox6 "X-Y": RadioButton55, RadioButton56, RadioButton57.
enum class FrequencyView { PrimaryFromFrequency, SecondaryFromFrequency, PrimaryFromSecondary };

// A view change takes view 57 as primary over secondary; the end of a sweep takes it as
// secondary over primary. Both label it "Seco; Prim".
enum class ViewSelection { ViewChange, EndOfSweep };

// What the frequency chart draws.
struct PlotSet {
    SweepArray plotX{};
    SweepArray plotY{};
    QString xText;
    QString yText;
    double xMin = 0;
    double xMax = 0;
    double yMin = -1e-8;
    double yMax = 2e-8;
};

void selectFrequencyView(PlotSet& plot, const FreqSweep& sweep, FrequencyView view,
                         ViewSelection form);

}  // namespace tarvix::lcr
