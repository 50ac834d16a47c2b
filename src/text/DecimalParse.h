// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>

// Strict text-to-number conversion: leading blanks, an optional sign, digits with a point as
// the only decimal separator, an optional exponent, and then the end of the text. Anything
// else (a comma, a trailing blank, a line end, a unit letter) fails.
namespace tarvix::text {

std::optional<double> parseDecimal(std::string_view text);
std::optional<double> parseDecimal(const QString& text);
inline std::optional<double> parseDecimal(const char* text) {
    return parseDecimal(std::string_view(text));
}

// Plain decimal integer (leading blanks and a sign allowed), 32-bit range.
std::optional<int> parseInteger(std::string_view text);
std::optional<int> parseInteger(const QString& text);
inline std::optional<int> parseInteger(const char* text) {
    return parseInteger(std::string_view(text));
}

// An instrument reply, taken up to its NUL: spaces only (nothing received) is 0; otherwise
// the strict conversion, and a failed conversion yields no value.
std::optional<double> parseReply(std::string_view reply);

// Reads a number at the start of `text` (leading blanks skipped) up to the next blank or the
// end; used by readers of data files. Returns the value and the position after the number.
struct LeadingNumber {
    double value = 0;
    std::size_t end = 0;
};
std::optional<LeadingNumber> parseLeadingNumber(std::string_view text);

}  // namespace tarvix::text
