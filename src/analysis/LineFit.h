// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <span>

// Least-squares line Y = a + b X through the straightened points and the scatter of the points
// about it.
namespace tarvix::analysis {

struct LineFit {
    double intercept = 0;  // a
    double slope = 0;      // b
    // False when the points do not determine a line: no point, or every X the same. The
    // intercept is then the mean Y and the slope 0.
    bool defined = false;

    double at(double x) const { return slope * x + intercept; }
};

// How well the line fits: standard errors of slope and intercept (not a number with fewer
// than three points) and the coefficient of determination R^2 (1 when every Y is the same and
// the line meets them).
struct FitStatistics {
    double slopeError = 0;
    double interceptError = 0;
    double rSquared = 0;
    int count = 0;
};

// Ordinary least squares of Y on X. The sums of X and X*X run in extended precision, as the
// values saved by earlier versions were computed.
LineFit leastSquaresLine(std::span<const double> x, std::span<const double> y);

// The statistics of a defined line through the same points.
FitStatistics fitStatistics(std::span<const double> x, std::span<const double> y,
                            const LineFit& line);

// The mean relative deviation |f(x) - y| / |y| in percent, rounded to one decimal (halves to
// even). No value when the line is undefined, some Y is exactly 0 (its relative deviation is
// unbounded) or the mean overflows.
std::optional<double> scatterPercent(std::span<const double> x, std::span<const double> y,
                                     const LineFit& line);

// The scatter figure as the result labels and files show it: general form with a point.
QString scatterText(double percent);

}  // namespace tarvix::analysis
