// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/SweepSettings.h"

#include "lcr/FreqSweep.h"

namespace tarvix::lcr {

namespace {

// The 7600's test frequencies and AC levels.
constexpr double kLowestFrequency = 10;
constexpr double kHighestFrequency = 2000000;
constexpr int kLowestAcLevelMv = 20;
constexpr int kHighestAcLevelMv = 1000;

QString outOfRange(const char* field, double value, const char* unit, double low, double high) {
    return QStringLiteral("%1 is %2 %3: the 7600 takes %4 to %5 %3. Nothing was sent.")
        .arg(QLatin1String(field))
        .arg(value, 0, 'g', 15)
        .arg(QLatin1String(unit))
        .arg(low, 0, 'g', 15)
        .arg(high, 0, 'g', 15);
}

}  // namespace

QString refusalReason(const SweepSettings& settings) {
    // One point gives no step between grid points; more than the tables hold cannot be kept.
    if (settings.pointCount == 1 || settings.pointCount < 0 ||
        settings.pointCount > kSweepCapacity) {
        return QStringLiteral("The frequency sweep needs 0 or 2 to %1 points.").arg(kSweepCapacity);
    }
    if (settings.readingsPerPoint < 1) {
        return QStringLiteral("Each frequency point needs at least one reading.");
    }
    if (settings.fmin < kLowestFrequency || settings.fmin > kHighestFrequency) {
        return outOfRange("Fmin (ScrollBar3)", settings.fmin, "Hz", kLowestFrequency,
                          kHighestFrequency);
    }
    if (settings.fmax < kLowestFrequency || settings.fmax > kHighestFrequency) {
        return outOfRange("Fmax (ScrollBar4)", settings.fmax, "Hz", kLowestFrequency,
                          kHighestFrequency);
    }
    if (settings.acLevelMv < kLowestAcLevelMv || settings.acLevelMv > kHighestAcLevelMv) {
        return outOfRange("The AC level (ScrollBar6)", settings.acLevelMv, "mV", kLowestAcLevelMv,
                          kHighestAcLevelMv);
    }
    return {};
}

}  // namespace tarvix::lcr
