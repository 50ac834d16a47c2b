// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/UncertainText.h"

#include <algorithm>
#include <cmath>

namespace tarvix::analysis {

namespace {

constexpr int kErrorFigures = 2;
constexpr int kMostValueFigures = 7;
constexpr int kBareFigures = 4;

struct Prefix {
    int exponent;
    const char16_t* symbol;
};
constexpr Prefix kPrefixes[] = {{-15, u"f"}, {-12, u"p"}, {-9, u"n"}, {-6, u"µ"}, {-3, u"m"},
                                {0, u""},    {3, u"k"},   {6, u"M"},  {9, u"G"},  {12, u"T"}};

int decade(double value) {
    return static_cast<int>(std::floor(std::log10(std::abs(value))));
}

QString withUnit(const QString& number, const QString& unit) {
    return unit.isEmpty() ? number : number + QChar(' ') + unit;
}

QString fixed(double value, int decimals) {
    return QString::number(value, 'f', std::max(decimals, 0));
}

QString numbers(double value, double error) {
    if (!std::isfinite(value)) {
        return QStringLiteral("-");
    }
    if (!std::isfinite(error)) {
        return QString::number(value, 'g', kBareFigures);
    }
    error = std::abs(error);
    const int mostDecimals = value == 0 ? kMostValueFigures : kMostValueFigures - 1 - decade(value);
    if (error == 0) {
        return QString::number(value, 'g', kBareFigures) + QStringLiteral(" ± 0");
    }
    const int decimals = kErrorFigures - 1 - decade(error);
    if (decimals > mostDecimals) {
        return fixed(value, mostDecimals) + QStringLiteral(" ± ") +
               QString::number(error, 'g', kErrorFigures);
    }
    return fixed(value, decimals) + QStringLiteral(" ± ") + fixed(error, decimals);
}

}  // namespace

QString uncertainText(const UncertainValue& value, const QString& unit) {
    return withUnit(numbers(value.value, value.error), unit);
}

QString uncertainSiText(const UncertainValue& value, const QString& unit) {
    const Prefix* chosen = &kPrefixes[5];
    if (std::isfinite(value.value) && value.value != 0) {
        const int wanted = std::clamp(decade(value.value) - (((decade(value.value) % 3) + 3) % 3),
                                      kPrefixes[0].exponent, std::end(kPrefixes)[-1].exponent);
        chosen = std::find_if(std::begin(kPrefixes), std::end(kPrefixes),
                              [wanted](const Prefix& p) { return p.exponent == wanted; });
    }
    const double scale = std::pow(10.0, chosen->exponent);
    return withUnit(numbers(value.value / scale, value.error / scale),
                    QString::fromUtf16(chosen->symbol) + unit);
}

}  // namespace tarvix::analysis
