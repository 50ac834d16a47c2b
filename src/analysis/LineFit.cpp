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
