// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/ResistanceText.h"

#include <cmath>

#include "text/NumberText.h"

namespace tarvix::analysis {

namespace {

const QString kUndefined = QStringLiteral("не определено");
constexpr int kSignificantDigits = 4;

QString withUnit(const QString& number, const char* unit) {
    return number + QChar(' ') + QString::fromLatin1(unit);
}

// Decimals that give four significant figures, none for values of five digits and more.
int decimalsFor(double value) {
    const int digitsBeforePoint = static_cast<int>(std::floor(std::log10(std::abs(value)))) + 1;
    return std::max(0, kSignificantDigits - digitsBeforePoint);
}

// The value as it will read: rounded to its figures.
double roundedToFigures(double value) {
    const double scale = std::pow(10.0, decimalsFor(value));
    return std::nearbyint(value * scale) / scale;
}

// 99.9996 reads "100.0", not "100.00": the figures are counted after rounding.
QString figures(double value, const char* unit) {
    return withUnit(text::fixedText(value, 1, decimalsFor(roundedToFigures(value))), unit);
}

}  // namespace

QString resistanceText(double ohms) {
    if (!std::isfinite(ohms)) {
        return kUndefined;
    }
    if (ohms < 1 || ohms >= 1e11) {
        return withUnit(text::generalTextForDisplay(ohms), "Om");
    }
    // The unit is chosen after rounding: 999999.9 ohms reads "1.000 MOm", not "1000 kOm".
    if (roundedToFigures(ohms) < 1e5) {
        return figures(ohms, "Om");
    }
    if (roundedToFigures(ohms / 1e3) < 1e3) {
        return figures(ohms / 1e3, "kOm");
    }
    return figures(ohms / 1e6, "MOm");
}

QString resistanceTextForSlope(double slope, bool lineDefined) {
    if (!lineDefined || slope == 0) {
        return kUndefined;
    }
    return resistanceText(1.0 / slope);
}

}  // namespace tarvix::analysis
