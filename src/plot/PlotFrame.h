// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <vector>

#include "plot/AxisTicks.h"
#include "plot/PlotAxis.h"
#include "plot/PlotScene.h"

namespace tarvix::plot {

// Where the parts of a plot picture go for one size: the plot area (whole pixels, so the
// series layer lands on device pixels), the axis maps onto it, the ticks and their labels.
struct PlotFrame {
    QSize size;
    QRect plot;
    AxisMap x;
    AxisMap y;
    std::vector<AxisTick> xTicks;
    std::vector<AxisTick> yTicks;
    QString xTitle;
    QString yTitle;

    static PlotFrame of(QSize size, const PlotScene& scene);
    static QFont tickFont();
    static QFont titleFont();
};

}  // namespace tarvix::plot
