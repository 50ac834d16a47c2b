// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>

// The program's number texts. Every number written to an instrument, a data file or the
// window goes through one of these forms.
namespace tarvix::text {

// 23 characters: sign position, one digit, a point, 14 digits, "E", exponent sign and four
// exponent digits; rounded to 15 significant digits. " 1.00000000000000E-0006" for 1e-6.
QString defaultReal(double value);
inline QString defaultReal(float value) {
    return defaultReal(static_cast<double>(value));
}

// Exactly `decimals` digits after a point, right-aligned with blanks to at least `width`
// characters; a wider value is not cut.
QString fixedText(double value, int width, int decimals);

// Shortest text with at most 15 significant digits; fixed notation for decimal exponents
// -3..15 (value written as 0.d1d2... x 10^e), otherwise "1.5E-5" style.
QString generalText(double value, QChar decimalSeparator = QChar('.'));

// The general form with the system's decimal separator, for texts the operator reads.
QString generalTextForDisplay(double value);

// Nearest integer, halves to even.
std::int64_t roundHalfEven(double value);

}  // namespace tarvix::text
