// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The number texts of the plots: SI prefixes, a typographic minus, decade powers.
namespace tarvix::plot {

// The exponent (a multiple of 3 from -15 to 12) of the SI prefix under which `magnitude`
// reads as 1 to 999.
int siExponent(double magnitude);
// "f", "p", "n", "µ", "m", "", "k", "M", "G", "T" for exponents -15 .. 12.
QString siPrefix(int exponent);
// value / 10^exponent with exactly `decimals` decimals, then the prefix and the unit:
// "−20 µA", "1.5 kΩ". Zero is "0".
QString siTickText(double value, int exponent, int decimals, const QString& unit);
// `digits` significant digits under the prefix that suits the value: "12.34 µA",
// "1.250 V", "−2.000 mA"; without `prefixes` the unit stands alone ("−12.50 °C").
QString siValueText(double value, const QString& unit, int digits = 4, bool prefixes = true);
// The shortest text of a 1-2-5 tick with its prefix: "2 µA", "500 nA".
QString siShortText(double value, const QString& unit);
// "10⁻⁹", "10⁰", "10³".
QString decadeText(int decade);
// A leading "-" made the typographic minus sign.
QString withMinusSign(QString text);

}  // namespace tarvix::plot
