// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/LineFit.h"

#include <algorithm>
#include <cmath>

#include "text/NumberText.h"

namespace tarvix::analysis {

namespace {

bool allEqual(std::span<const double> values) {
    return std::adjacent_find(values.begin(), values.end(), std::not_equal_to<>()) == values.end();
}

}  // namespace

LineFit leastSquaresLine(std::span<const double> x, std::span<const double> y) {
    const std::size_t n = std::min(x.size(), y.size());
    LineFit line;
    if (n == 0) {
        return line;
    }
    long double sumX = 0;
    long double sumXX = 0;
    double sumY = 0;
    double sumXY = 0;
    for (std::size_t k = 0; k < n; ++k) {
        sumX += x[k];
        sumXX += static_cast<long double>(x[k]) * x[k];
        sumY += y[k];
        sumXY += x[k] * y[k];
    }
    const long double count = static_cast<long double>(n);
    const long double meanX = sumX / count;
    const double meanY = sumY / static_cast<double>(n);
    line.intercept = meanY;
    // Equal X would leave a rounding residue in the denominator and a meaningless slope.
    if (allEqual(x.first(n))) {
        return line;
    }
    const long double denominator = sumXX / count - meanX * meanX;
    if (!(denominator > 0)) {
        return line;
    }
    const double slope = static_cast<double>(
        (sumXY / static_cast<double>(n) - meanX * static_cast<long double>(meanY)) / denominator);
    const double intercept = static_cast<double>(meanY - slope * meanX);
    if (!std::isfinite(slope) || !std::isfinite(intercept)) {
        return line;
    }
    line.slope = slope;
    line.intercept = intercept;
    line.defined = true;
    return line;
}

FitStatistics fitStatistics(std::span<const double> x, std::span<const double> y,
                            const LineFit& line) {
    const std::size_t n = std::min(x.size(), y.size());
    FitStatistics stats;
    stats.count = static_cast<int>(n);
    if (n == 0) {
        return stats;
    }
    double meanX = 0;
    double meanY = 0;
    for (std::size_t k = 0; k < n; ++k) {
        meanX += x[k];
        meanY += y[k];
    }
    meanX /= static_cast<double>(n);
    meanY /= static_cast<double>(n);
    double spreadX = 0;  // sum of (x - mean)^2
    double spreadY = 0;
    double residuals = 0;
    for (std::size_t k = 0; k < n; ++k) {
        spreadX += (x[k] - meanX) * (x[k] - meanX);
        spreadY += (y[k] - meanY) * (y[k] - meanY);
        residuals += (y[k] - line.at(x[k])) * (y[k] - line.at(x[k]));
    }
    stats.rSquared = spreadY > 0 ? 1.0 - residuals / spreadY : (residuals == 0 ? 1.0 : 0.0);
    const double variance = n > 2 ? residuals / static_cast<double>(n - 2) : std::nan("");
    stats.slopeError = std::sqrt(variance / spreadX);
    stats.interceptError =
        std::sqrt(variance * (1.0 / static_cast<double>(n) + meanX * meanX / spreadX));
    return stats;
}

std::optional<double> scatterPercent(std::span<const double> x, std::span<const double> y,
                                     const LineFit& line) {
    const std::size_t n = std::min(x.size(), y.size());
    if (!line.defined || n == 0) {
        return std::nullopt;
    }
    double sum = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (y[k] == 0) {
            return std::nullopt;
        }
        sum += std::abs(line.at(x[k]) - y[k]) / std::abs(y[k]);
    }
    const double tenthsOfPercent = std::nearbyint(sum / static_cast<double>(n) * 1000.0);
    if (!std::isfinite(tenthsOfPercent)) {
        return std::nullopt;
    }
    return tenthsOfPercent / 10.0;
}

QString scatterText(double percent) {
    return text::generalText(percent, QChar('.'));
}

}  // namespace tarvix::analysis
