#pragma once

#include <QImage>
#include <QRgb>
#include <QString>
#include <functional>
#include <span>

#include "analysis/LineFit.h"

// The analysis charts: the straightened points with their fitted line, and a stored segment as
// measured, drawn in one frame (zero-aligned grid, lime background, linear or decade Y axis)
// into the I-V chart's image.
namespace tarvix::analysis {

struct AnalysisChartFrame {
    QString yCaption;
    QString xCaption;
    double xMax = 0;
    double xMin = 0;
    double yMax = 0;
    double yMin = 0;
    bool logScale = false;  // CheckBox13 "Log scale"
};

// Runs while a point's marker is shown (the animation's flash): show the image, let events
// run, wait. Empty when no animation delay is set.
using MarkerFlash = std::function<void()>;

// The straightened points and the fitted line (left out when the line is undefined). In log
// mode the line is drawn through the same Y mapping as the points, sampled at every column.
void drawLinearizedChart(QImage& image, const AnalysisChartFrame& frame, std::span<const double> x,
                         std::span<const double> y, QRgb colour, const LineFit& line,
                         const MarkerFlash& flash = {});

// The measured points of one segment, signs kept; no line.
void drawInitialChart(QImage& image, const AnalysisChartFrame& frame, std::span<const double> x,
                      std::span<const double> y, QRgb colour, const MarkerFlash& flash = {});

}  // namespace tarvix::analysis
