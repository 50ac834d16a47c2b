// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

namespace tarvix::series {

// A number read from a data line, fast enough for millions of points. It accepts exactly
// what text::parseLeadingNumber accepts and gives the same value: leading blanks, an
// optional sign, digits, an optional fraction after a point, an optional exponent, and then
// a blank, a TAB, a line end or the end of the text.
struct LineNumber {
    double value = 0;
    std::size_t end = 0;  // position after the number
};
std::optional<LineNumber> readLineNumber(std::string_view text);
// The same without the x87 extended format, as readLineNumber runs where long double is
// another format; the same results everywhere.
std::optional<LineNumber> readLineNumberPortable(std::string_view text);

}  // namespace tarvix::series
