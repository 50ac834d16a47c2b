// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRgb>
#include <QString>
#include <functional>
#include <span>

#include "analysis/LineFit.h"

// The analysis charts: the straightened points with their fitted line, and a stored segment as
// measured, drawn in one frame (zero on a grid line, lime background) into the I-V chart's
// image.
namespace tarvix::analysis {

struct AnalysisChartFrame {
    QString yCaption;
    QString xCaption;
    double xMax = 0;
    double xMin = 0;
    double yMax = 0;
    double yMin = 0;
    bool logScale = false;  // CheckBox13 "Log scale"; the measured segment only
};

// Runs while a point's marker is shown (the animation's flash): show the image, let events
// run, wait. Empty when no animation delay is set.
using MarkerFlash = std::function<void()>;

// The straightened points and the fitted line (left out when the line is undefined), on
// linear axes of the mechanism's own quantities whatever the log option: the tick labels give
// the values themselves and the caption names them.
void drawLinearizedChart(QImage& image, const AnalysisChartFrame& frame, std::span<const double> x,
                         std::span<const double> y, QRgb colour, const LineFit& line,
                         const MarkerFlash& flash = {});

// The measured points of one segment, signs kept; no line. Linear: current ticks in
// microamperes; log: decades of amperes.
void drawInitialChart(QImage& image, const AnalysisChartFrame& frame, std::span<const double> x,
                      std::span<const double> y, QRgb colour, const MarkerFlash& flash = {});

}  // namespace tarvix::analysis
