// SPDX-License-Identifier: GPL-3.0-or-later
#include "ivtemp/Arrhenius.h"

#include <cmath>

#include "analysis/LineFit.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "series/SeriesTemperatures.h"
#include "text/CsvWriter.h"

namespace tarvix::ivtemp {

namespace {

constexpr double kBoltzmannEv = 8.617333262e-5;  // eV/K

std::optional<double> currentInSegment(const float* voltage, const float* current, int count,
                                       double volts) {
    for (int p = 1; p < count; ++p) {
        const double v1 = voltage[p];
        const double v2 = voltage[p + 1];
        if (std::min(v1, v2) <= volts && volts <= std::max(v1, v2)) {
            if (v1 == v2) {
                return current[p];
            }
            return current[p] + (volts - v1) * (current[p + 1] - current[p]) / (v2 - v1);
        }
    }
    if (count == 1 && voltage[1] == volts) {
        return current[1];
    }
    return std::nullopt;
}

}  // namespace

std::optional<double> currentAt(const series::SeriesStore& store, int series, double volts) {
    for (int segment = 1; segment <= series::SeriesStore::kSegments; ++segment) {
        const int count = series::storedPointCount(store, segment, series);
        if (count < 1) {
            continue;
        }
        if (auto amps = currentInSegment(store.storedVoltage(segment, series),
                                         store.storedCurrent(segment, series), count, volts)) {
            return amps;
        }
    }
    return std::nullopt;
}

std::vector<ArrheniusPoint> arrheniusPoints(const series::SeriesStore& store,
                                            const std::vector<int>& seriesList, double volts) {
    std::vector<ArrheniusPoint> points;
    for (const int series : seriesList) {
        const auto temperatures = series::seriesTemperatures(store, series);
        const auto amps = temperatures ? currentAt(store, series, volts) : std::nullopt;
        if (!amps || *amps == 0 || !std::isfinite(*amps)) {
            continue;
        }
        points.push_back({series, temperatures->meanK(), volts, *amps, std::log(std::abs(*amps))});
    }
    return points;
}

std::optional<ArrheniusFit> fitArrhenius(const std::vector<ArrheniusPoint>& points) {
    std::vector<double> x;
    std::vector<double> y;
    for (const ArrheniusPoint& point : points) {
        x.push_back(point.inverseKilokelvin());
        y.push_back(point.lnAmps);
    }
    const analysis::LineFit line = analysis::leastSquaresLine(x, y);
    if (points.size() < 2 || !line.defined) {
        return std::nullopt;
    }
    const analysis::FitStatistics statistics = analysis::fitStatistics(x, y, line);
    const double perSlope = 1000.0 * kBoltzmannEv;
    return ArrheniusFit{line.slope, line.intercept, -line.slope * perSlope,
                        std::abs(statistics.slopeError) * perSlope};
}

QString activationText(const ArrheniusFit& fit) {
    if (!std::isfinite(fit.standardErrorEv)) {
        return QStringLiteral("Ea = %1 eV").arg(fit.activationEv, 0, 'f', 3);
    }
    return QStringLiteral("Ea = %1 ± %2 eV")
        .arg(fit.activationEv, 0, 'f', 3)
        .arg(fit.standardErrorEv, 0, 'f', 3);
}

int writeArrheniusCsv(const QString& path, const std::vector<ArrheniusPoint>& points,
                      const text::CsvHeading& heading) {
    text::CsvWriter out(path);
    if (const int error = out.open(); error != 0) {
        return error;
    }
    out.heading(heading);
    out.columns({QStringLiteral("T_K"), QStringLiteral("V"), QStringLiteral("I_A"),
                 QStringLiteral("ln_I")});
    for (const ArrheniusPoint& point : points) {
        out.row({text::CsvWriter::cell(point.kelvin), text::CsvWriter::cell(point.volts),
                 text::CsvWriter::cell(point.amps), text::CsvWriter::cell(point.lnAmps)});
    }
    return out.commit();
}

}  // namespace tarvix::ivtemp
