// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/FitPhysics.h"

#include <cmath>
#include <numbers>

namespace tarvix::analysis {

namespace {

// CODATA 2018 (q and k exact).
constexpr double kElementaryCharge = 1.602176634e-19;     // C
constexpr double kBoltzmann = 1.380649e-23;               // J/K
constexpr double kVacuumPermittivity = 8.8541878128e-12;  // F/m
constexpr double kMetresPerNm = 1e-9;

// kT/q in volts.
double thermalVoltage(double temperatureK) {
    return kBoltzmann * temperatureK / kElementaryCharge;
}

// The slope of a field-lowered barrier, (q/kT) sqrt(q / (geometry eps0 epsr d)): the trap's
// Coulomb well (geometry pi) or the image force at the contact (geometry 4 pi).
double loweringSlope(double geometry, double relativePermittivity, double thicknessM,
                     double temperatureK) {
    const double root = std::sqrt(
        kElementaryCharge / (geometry * kVacuumPermittivity * relativePermittivity * thicknessM));
    return root / thermalVoltage(temperatureK);
}

// The inverse: epsr = q / (geometry eps0 d (slope kT/q)^2).
std::optional<double> loweringPermittivity(double geometry, double slope, double thicknessM,
                                           double temperatureK) {
    if (!(slope > 0) || !(thicknessM > 0) || !(temperatureK > 0)) {
        return std::nullopt;
    }
    const double rootPerVolt = slope * thermalVoltage(temperatureK);
    const double value = kElementaryCharge /
                         (geometry * kVacuumPermittivity * thicknessM * rootPerVolt * rootPerVolt);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

constexpr double kTrapGeometry = std::numbers::pi;
constexpr double kImageGeometry = 4 * std::numbers::pi;

// epsr goes as 1/slope^2, so its relative error is twice the slope's.
std::optional<UncertainValue> permittivityFrom(double geometry, const LineFit& line,
                                               const FitStatistics& statistics,
                                               const SampleConditions& conditions) {
    if (!conditions.thicknessNm || !conditions.temperatureK) {
        return std::nullopt;
    }
    const std::optional<double> value = loweringPermittivity(
        geometry, line.slope, *conditions.thicknessNm * kMetresPerNm, *conditions.temperatureK);
    if (!value) {
        return std::nullopt;
    }
    return UncertainValue{*value, 2 * *value * statistics.slopeError / line.slope};
}

std::optional<UncertainValue> barrierFrom(const LineFit& line, const FitStatistics& statistics,
                                          const SampleConditions& conditions) {
    if (!conditions.temperatureK || !conditions.contactAreaCm2 || !conditions.richardson) {
        return std::nullopt;
    }
    const double t = *conditions.temperatureK;
    return UncertainValue{
        schottkyBarrierEv(line.intercept, t, *conditions.contactAreaCm2, *conditions.richardson),
        thermalVoltage(t) * statistics.interceptError};
}

}  // namespace

double pooleFrenkelSlope(double relativePermittivity, double thicknessM, double temperatureK) {
    return loweringSlope(kTrapGeometry, relativePermittivity, thicknessM, temperatureK);
}

double schottkySlope(double relativePermittivity, double thicknessM, double temperatureK) {
    return loweringSlope(kImageGeometry, relativePermittivity, thicknessM, temperatureK);
}

std::optional<double> pooleFrenkelPermittivity(double slope, double thicknessM,
                                               double temperatureK) {
    return loweringPermittivity(kTrapGeometry, slope, thicknessM, temperatureK);
}

std::optional<double> schottkyPermittivity(double slope, double thicknessM, double temperatureK) {
    return loweringPermittivity(kImageGeometry, slope, thicknessM, temperatureK);
}

double schottkyBarrierEv(double intercept, double temperatureK, double contactAreaCm2,
                         double richardson) {
    const double saturationScale = contactAreaCm2 * richardson * temperatureK * temperatureK;
    return thermalVoltage(temperatureK) * (std::log(saturationScale) - intercept);
}

FitPhysics deriveFitPhysics(Mechanism mechanism, const LineFit& line,
                            const FitStatistics& statistics, const SampleConditions& conditions) {
    FitPhysics physics;
    if (!line.defined) {
        return physics;
    }
    switch (mechanism) {
        case Mechanism::Ohm:
            // The current is Y, so the slope is the conductance.
            if (line.slope != 0) {
                physics.resistance = UncertainValue{
                    1 / line.slope, statistics.slopeError / (line.slope * line.slope)};
            }
            break;
        case Mechanism::SpaceCharge:
            physics.exponent = UncertainValue{line.slope, statistics.slopeError};
            break;
        case Mechanism::PooleFrenkel:
            physics.permittivity = permittivityFrom(kTrapGeometry, line, statistics, conditions);
            break;
        case Mechanism::Schottky:
            physics.permittivity = permittivityFrom(kImageGeometry, line, statistics, conditions);
            physics.barrierHeight = barrierFrom(line, statistics, conditions);
            break;
        case Mechanism::Tunnel:
            break;
    }
    return physics;
}

}  // namespace tarvix::analysis
