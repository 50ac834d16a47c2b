// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/ComplianceWatch.h"

#include <algorithm>
#include <cmath>

namespace tarvix::iv {

namespace {

// The shortest E form, with at least one decimal, that holds the value to `digits`
// significant digits: 1e-4 is "1.0E-4", 1.05e-4 "1.05E-4", 20 "2.0E+1".
QString shortE(double value, int digits) {
    const double target = QString::number(value, 'e', digits - 1).toDouble();
    QString text;
    for (int decimals = 1; decimals < digits; ++decimals) {
        text = QString::number(value, 'e', decimals);
        if (text.toDouble() == target) {
            break;
        }
    }
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    const int exponent = text.mid(e + 1).toInt();
    return text.left(e) + (exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) +
           QString::number(std::abs(exponent));
}

// Two decimals, or as many more as a level below 0.1 V needs for two significant digits.
QString voltsText(double volts) {
    if (volts == 0) {
        return QStringLiteral("0.00");
    }
    const int decimals =
        std::clamp(1 - static_cast<int>(std::floor(std::log10(std::fabs(volts)))), 2, 12);
    return QString::number(volts, 'f', decimals);
}

}  // namespace

bool ComplianceWatch::atLimit(double reading, double limit) {
    return limit > 0 && std::fabs(reading) >= (1.0 - kNearFraction) * limit;
}

void ComplianceWatch::start(Limit kind, double limit) {
    *this = ComplianceWatch();
    kind_ = kind;
    limit_ = limit;
}

bool ComplianceWatch::note(double reading, double level) {
    ++points_;
    if (kind_ == Limit::None || !atLimit(reading, limit_)) {
        return false;
    }
    if (atLimit_ == 0 || std::fabs(level) < std::fabs(onset_)) {
        onset_ = level;
    }
    ++atLimit_;
    return true;
}

QString ComplianceWatch::summary() const {
    if (atLimit_ == 0) {
        return {};
    }
    const bool amperes = kind_ == Limit::Current;
    return QStringLiteral("reached the compliance %1 %2 at %3 of %4 points, from %5")
        .arg(shortE(limit_, 15), amperes ? QStringLiteral("A") : QStringLiteral("V"))
        .arg(atLimit_)
        .arg(points_)
        .arg(amperes ? voltsText(onset_) + QStringLiteral(" V")
                     : shortE(onset_, 3) + QStringLiteral(" A"));
}

}  // namespace tarvix::iv
