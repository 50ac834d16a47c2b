// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

// Pictures of a chart for saving and copying. A chart is given as its renderer: a call that
// draws it from scratch into an image of its drawn size with the ChartCanvas primitives.
namespace tarvix::series {

using ChartRender = std::function<void(QImage&)>;

// Scale 1 gives the very pixels of the window; a larger one draws the chart again through a
// painter at that scale, so lines stay one pixel thin and text is set anew.
QImage chartImage(QSize size, double scale, const ChartRender& render);

// The chart as an SVG document of lines, rectangles and text at `scale` times its size.
QByteArray chartSvg(QSize size, double scale, const ChartRender& render, const QString& title);

}  // namespace tarvix::series
