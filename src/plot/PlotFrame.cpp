// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/PlotFrame.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace tarvix::plot {

namespace {

constexpr int kPad = 8;
constexpr int kTickLength = 5;
constexpr int kGap = 4;
constexpr int kSmallestPlot = 20;

}  // namespace

QFont PlotFrame::tickFont() {
    QFont font;
    font.setPixelSize(12);
    return font;
}

QFont PlotFrame::titleFont() {
    QFont font;
    font.setPixelSize(14);
    return font;
}

PlotFrame PlotFrame::of(QSize size, const PlotScene& scene) {
    PlotFrame frame;
    frame.size = size;
    frame.xTicks = axisTicks(scene.view.x, scene.xQuantity);
    frame.yTicks = axisTicks(scene.view.y, scene.yQuantity);
    frame.xTitle = axisTitle(scene.xQuantity, scene.view.x.log);
    frame.yTitle = axisTitle(scene.yQuantity, scene.view.y.log);

    const QFontMetricsF ticks(tickFont());
    const QFontMetricsF titles(titleFont());
    double widestY = 0.0;
    for (const AxisTick& tick : frame.yTicks) {
        widestY = std::max(widestY, ticks.horizontalAdvance(tick.text));
    }
    double lastX = 0.0;
    if (!frame.xTicks.empty()) {
        lastX = ticks.horizontalAdvance(frame.xTicks.back().text);
    }
    const int left =
        kPad + static_cast<int>(std::ceil(titles.height() + kGap + widestY)) + kTickLength + kGap;
    const int bottom = kPad + static_cast<int>(std::ceil(ticks.height() + kGap + titles.height())) +
                       kTickLength + kGap;
    const int top = kPad + static_cast<int>(std::ceil(ticks.height() / 2));
    const int right = kPad + static_cast<int>(std::ceil(lastX / 2));
    frame.plot = QRect(left, top, std::max(size.width() - left - right, kSmallestPlot),
                       std::max(size.height() - top - bottom, kSmallestPlot));
    // Pixel centres of the first and last column and row are the ends of the ranges.
    frame.x = AxisMap(scene.view.x, frame.plot.left() + 0.5, frame.plot.right() + 0.5,
                      scene.xQuantity.magnitudeOnLog);
    frame.y = AxisMap(scene.view.y, frame.plot.bottom() + 0.5, frame.plot.top() + 0.5,
                      scene.yQuantity.magnitudeOnLog);
    return frame;
}

}  // namespace tarvix::plot
