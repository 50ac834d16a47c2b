// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace tarvix::series {
class SeriesStore;
}
namespace tarvix::text {
struct CsvHeading;
}

namespace tarvix::ivtemp {

// One series on the Arrhenius plot: its temperature, the current at the chosen voltage and
// ln|I|.
struct ArrheniusPoint {
    int series = 0;
    double kelvin = 0;
    double volts = 0;
    double amps = 0;
    double lnAmps = 0;
    double inverseKilokelvin() const { return 1000.0 / kelvin; }  // 1000/T, 1/K
};

// The line through ln|I| against 1000/T and the activation energy from its slope:
// ln I = ln I0 − Ea/(kT), so Ea = −slope · 1000 · k.
struct ArrheniusFit {
    double slope = 0;
    double intercept = 0;
    double activationEv = 0;
    double standardErrorEv = 0;  // NaN with fewer than three points
};

// The current of stored series `series` at `volts`, interpolated linearly between the two
// measured points around it in the first segment (in segment order) whose voltages reach it;
// nothing when none does.
std::optional<double> currentAt(const series::SeriesStore& store, int series, double volts);

// The points of `seriesList` that carry temperatures and reach `volts` with a current other
// than 0, in the list's order.
std::vector<ArrheniusPoint> arrheniusPoints(const series::SeriesStore& store,
                                            const std::vector<int>& seriesList, double volts);

// Nothing with fewer than two points or a single temperature.
std::optional<ArrheniusFit> fitArrhenius(const std::vector<ArrheniusPoint>& points);

// "Ea = 0.215 ± 0.002 eV", or "Ea = 0.215 eV" without an error.
QString activationText(const ArrheniusFit& fit);

// The table as tidy CSV: T_K, V, I_A, ln_I. 0 or the runtime's file-error code.
int writeArrheniusCsv(const QString& path, const std::vector<ArrheniusPoint>& points,
                      const text::CsvHeading& heading);

}  // namespace tarvix::ivtemp
