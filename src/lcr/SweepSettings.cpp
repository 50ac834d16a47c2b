#include "lcr/SweepSettings.h"

#include "lcr/FreqSweep.h"

namespace tarvix::lcr {

QString refusalReason(const SweepSettings& settings) {
    // One point gives no step between grid points; more than the tables hold cannot be kept.
    if (settings.pointCount == 1 || settings.pointCount < 0 ||
        settings.pointCount > kSweepCapacity) {
        return QStringLiteral("The frequency sweep needs 0 or 2 to %1 points.").arg(kSweepCapacity);
    }
    if (settings.readingsPerPoint < 1) {
        return QStringLiteral("Each frequency point needs at least one reading.");
    }
    if (settings.logGrid && settings.pointCount > 0 && (settings.fmin <= 0 || settings.fmax <= 0)) {
        return QStringLiteral("A logarithmic frequency grid needs positive Fmin and Fmax.");
    }
    return {};
}

}  // namespace tarvix::lcr
