// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/SiText.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tarvix::plot {

namespace {

constexpr int kLowestExponent = -15;
constexpr int kHighestExponent = 12;
const QChar kMinus(0x2212);

QString joinUnit(const QString& number, const QString& prefixedUnit) {
    return prefixedUnit.isEmpty() ? number : number + QLatin1Char(' ') + prefixedUnit;
}

QString specialText(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    return value > 0 ? QStringLiteral("∞") : withMinusSign(QStringLiteral("-∞"));
}

}  // namespace

QString withMinusSign(QString text) {
    if (text.startsWith(QLatin1Char('-'))) {
        text[0] = kMinus;
    }
    return text;
}

int siExponent(double magnitude) {
    if (!(magnitude > 0.0) || !std::isfinite(magnitude)) {
        return 0;
    }
    // A hair of tolerance so that 1e-6 counts as 1 µA and not as 1000 nA.
    const int exponent = static_cast<int>(std::floor(std::log10(magnitude) / 3.0 + 1e-9)) * 3;
    return std::clamp(exponent, kLowestExponent, kHighestExponent);
}

QString siPrefix(int exponent) {
    static const std::array<QString, 10> prefixes = {
        QStringLiteral("f"), QStringLiteral("p"), QStringLiteral("n"), QStringLiteral("µ"),
        QStringLiteral("m"), QString(),           QStringLiteral("k"), QStringLiteral("M"),
        QStringLiteral("G"), QStringLiteral("T")};
    const int index = (std::clamp(exponent, kLowestExponent, kHighestExponent) + 15) / 3;
    return prefixes[static_cast<std::size_t>(index)];
}

QString siTickText(double value, int exponent, int decimals, const QString& unit) {
    const double scaled = value / std::pow(10.0, exponent);
    if (std::fabs(scaled) < 0.5 * std::pow(10.0, -decimals)) {
        return QStringLiteral("0");
    }
    return joinUnit(withMinusSign(QString::number(scaled, 'f', std::max(decimals, 0))),
                    siPrefix(exponent) + unit);
}

QString siValueText(double value, const QString& unit, int digits, bool prefixes) {
    if (!std::isfinite(value)) {
        return joinUnit(specialText(value), unit);
    }
    if (value == 0.0) {
        return joinUnit(QStringLiteral("0"), unit);
    }
    // Rounded to the digits first, so that 999.96 µA becomes 1.000 mA and not 1000 µA.
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const double unitOfLast = std::pow(10.0, magnitude - digits + 1);
    const double rounded = std::round(value / unitOfLast) * unitOfLast;
    const int exponent = prefixes ? siExponent(std::fabs(rounded)) : 0;
    const double scaled = rounded / std::pow(10.0, exponent);
    const int leading = static_cast<int>(std::floor(std::log10(std::fabs(scaled)) + 1e-9)) + 1;
    const int decimals = std::max(digits - leading, 0);
    const QString prefix = prefixes ? siPrefix(exponent) : QString();
    return joinUnit(withMinusSign(QString::number(scaled, 'f', decimals)), prefix + unit);
}

QString siShortText(double value, const QString& unit) {
    const int exponent = siExponent(std::fabs(value));
    const double scaled = value / std::pow(10.0, exponent);
    return joinUnit(withMinusSign(QString::number(scaled, 'g', 3)), siPrefix(exponent) + unit);
}

QString decadeText(int decade) {
    static const std::array<QChar, 10> superscripts = {
        QChar(0x2070), QChar(0x00B9), QChar(0x00B2), QChar(0x00B3), QChar(0x2074),
        QChar(0x2075), QChar(0x2076), QChar(0x2077), QChar(0x2078), QChar(0x2079)};
    QString text = QStringLiteral("10");
    if (decade < 0) {
        text += QChar(0x207B);
    }
    for (const QChar digit : QString::number(std::abs(decade))) {
        text += superscripts[static_cast<std::size_t>(digit.digitValue())];
    }
    return text;
}

}  // namespace tarvix::plot
