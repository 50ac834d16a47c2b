// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "analysis/LineFit.h"
#include "analysis/Mechanism.h"

// The physical quantities a straight line in a mechanism's coordinates stands for. The
// formulas and their sources are in docs/analysis.md; each one is written for the coordinates
// this program plots (natural logarithms of magnitudes in amperes and volts, log10 for the
// space-charge plot).
namespace tarvix::analysis {

// What the operator tells the fit about the sample. A field that is not a positive number
// has no value, and the quantities that need it are not derived.
struct SampleConditions {
    std::optional<double> thicknessNm;     // film thickness between the contacts
    std::optional<double> temperatureK;    // sample temperature
    std::optional<double> contactAreaCm2;  // contact area
    std::optional<double> richardson;      // effective Richardson constant, A cm^-2 K^-2
};

// A value with its standard error (not a number when the fit has none: fewer than three
// points).
struct UncertainValue {
    double value = 0;
    double error = 0;
};

struct FitPhysics {
    std::optional<UncertainValue> resistance;     // ohms: Ohm's law
    std::optional<UncertainValue> exponent;       // m of I ~ V^m: space-charge-limited
    std::optional<UncertainValue> permittivity;   // relative: Poole-Frenkel and Schottky
    std::optional<UncertainValue> barrierHeight;  // eV: Schottky
};

// Everything the line gives for its mechanism with these conditions.
FitPhysics deriveFitPhysics(Mechanism mechanism, const LineFit& line,
                            const FitStatistics& statistics, const SampleConditions& conditions);

// The slopes the theory predicts, in 1/sqrt(V), for a film of `thicknessM` metres: of
// ln(I/V) against sqrt(V) (Poole-Frenkel) and of ln(I) against sqrt(V) (Schottky).
double pooleFrenkelSlope(double relativePermittivity, double thicknessM, double temperatureK);
double schottkySlope(double relativePermittivity, double thicknessM, double temperatureK);

// The relative permittivity that gives these slopes; none for a slope that is not positive.
std::optional<double> pooleFrenkelPermittivity(double slope, double thicknessM,
                                               double temperatureK);
std::optional<double> schottkyPermittivity(double slope, double thicknessM, double temperatureK);

// The Schottky barrier height in eV from the intercept of ln(I/A) against sqrt(V):
// intercept = ln(S A* T^2) - q phi / kT.
double schottkyBarrierEv(double intercept, double temperatureK, double contactAreaCm2,
                         double richardson);

}  // namespace tarvix::analysis
