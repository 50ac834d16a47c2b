// SPDX-License-Identifier: GPL-3.0-or-later
#include "ivtemp/IvtSettings.h"

#include <cmath>

namespace tarvix::ivtemp {

namespace {

// Steps from `from` to `to`, less a millionth so that a span that is a whole number of steps
// keeps its end against rounding.
double stepCount(const IvtSettings& settings) {
    return std::floor(std::abs(settings.toK - settings.fromK) / std::abs(settings.stepK) + 1e-6);
}

}  // namespace

QString settingsProblem(const IvtSettings& s) {
    const auto positive = [](double value) { return std::isfinite(value) && value > 0; };
    if (!positive(s.fromK) || !positive(s.toK)) {
        return QStringLiteral("The temperatures \"from\" and \"to\" must be above 0 K.");
    }
    if (!positive(std::abs(s.stepK))) {
        return QStringLiteral("The temperature step must be a number other than 0.");
    }
    if (stepCount(s) + 1 > IvtSettings::kMaxTargets) {
        return QStringLiteral("At most %1 target temperatures: take a larger step.")
            .arg(IvtSettings::kMaxTargets);
    }
    if (!positive(s.toleranceK) || s.toleranceK >= std::abs(s.stepK) / 2) {
        return QStringLiteral("The tolerance must be above 0 K and below half the step (%1 K).")
            .arg(kelvinText(std::abs(s.stepK) / 2));
    }
    if (!(s.periodS >= IvtSettings::kMinPeriodS && s.periodS <= IvtSettings::kMaxPeriodS)) {
        return QStringLiteral("The reading period must be from %1 s to %2 s.")
            .arg(IvtSettings::kMinPeriodS)
            .arg(IvtSettings::kMaxPeriodS);
    }
    return {};
}

std::vector<double> targetsOf(const IvtSettings& settings) {
    const double direction = settings.toK >= settings.fromK ? 1.0 : -1.0;
    const double step = direction * std::abs(settings.stepK);
    const int steps = static_cast<int>(stepCount(settings));
    std::vector<double> targets;
    for (int i = 0; i <= steps; ++i) {
        targets.push_back(settings.fromK + i * step);
    }
    return targets;
}

QString kelvinText(double kelvin) {
    return QString::number(kelvin, 'g', 10);
}

}  // namespace tarvix::ivtemp
