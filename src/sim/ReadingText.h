// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tarvix::sim {

// Number texts of the instruments' replies, in C printf's exponent notation.
namespace readingText {

// "+1.000000E-06": sign always, `decimals` digits after the point, capital E (SCPI meters).
std::string signedExponent(double value, int decimals);
// "1.00000e-06": sign only when negative, small e (TSP print).
std::string plainExponent(double value, int decimals);
// "1.23456E-09": sign only when negative, capital E (LCR meter).
std::string capitalExponent(double value, int decimals);

// The value instruments send for "not a number" or an overflowing reading.
inline constexpr double kNotANumber = 9.91e37;
inline constexpr double kOverflow = 9.9e37;

}  // namespace readingText

}  // namespace tarvix::sim
