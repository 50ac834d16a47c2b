// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <vector>

namespace tarvix::lcr {

struct PlotSet;

constexpr int kChartWidth = 969;  // PaintBox2
constexpr int kChartHeight = 409;

struct ChartOptions {
    bool logX = false;  // CheckBox46 "X Axis -Log X"
    bool lines = true;  // CheckBox43 "Line"
};

// A label of the chart: bold, on a transparent background, its top-left corner at `at`.
struct ChartText {
    QPoint at;
    QString text;
};

// The axis labels and the caption of a chart of the given size, in drawing order: for each
// of the 9 vertical-axis lines the mantissa + "*10" and the exponent, then for each of the 9
// horizontal-axis lines "10" and the exponent (logarithmic) or the mantissa + "*10" and the
// exponent, then yText + "; " + xText.
std::vector<ChartText> frequencyChartTexts(int width, int height, const QString& yText,
                                           const QString& xText, double yMin, double yMax,
                                           double xMin, double xMax, bool logX);

// Draws points 1..count of `plot` on a green plot area with a yellow grid (red where the
// value is zero), decade labels and the caption "yText; xText". Where the range is empty or a
// logarithmic axis meets a value <= 0, the frame and labels are drawn and what cannot be
// placed is left out.
void drawFrequencyChart(QImage& image, const QString& yText, const QString& xText, double yMin,
                        double yMax, double xMin, double xMax, const PlotSet& plot, int count,
                        const ChartOptions& options);

}  // namespace tarvix::lcr
