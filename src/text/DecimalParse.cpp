// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DecimalParse.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tarvix::text {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest prefix of `text` that is a decimal number in the accepted grammar,
// or 0 when there is none.
std::size_t numberLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        std::size_t exponentDigits = 0;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
            ++exponentDigits;
        }
        if (exponentDigits > 0) {
            i = j;
        }
    }
    return i;
}

std::optional<double> convert(std::string_view number) {
    if (!number.empty() && number.front() == '+') {
        number.remove_prefix(1);
    }
    // from_chars wants a digit on each side of the point: ".5" and "5." are written out.
    std::string normalized;
    normalized.reserve(number.size() + 2);
    for (std::size_t i = 0; i < number.size(); ++i) {
        const char c = number[i];
        const bool digitBefore = i > 0 && isDigit(number[i - 1]);
        const bool digitAfter = i + 1 < number.size() && isDigit(number[i + 1]);
        if (c == '.' && !digitBefore) {
            normalized.push_back('0');
        }
        if (c == '.' && !digitAfter) {
            continue;
        }
        normalized.push_back(c);
    }
    double value = 0;
    const char* end = normalized.data() + normalized.size();
    const auto result = std::from_chars(normalized.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string_view skipBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    return text;
}

}  // namespace

std::optional<double> parseDecimal(std::string_view text) {
    text = skipBlanks(text);
    const std::size_t length = numberLength(text);
    if (length == 0 || length != text.size()) {
        return std::nullopt;
    }
    return convert(text);
}

std::optional<double> parseDecimal(const QString& text) {
    const QByteArray latin = text.toLatin1();
    return parseDecimal(std::string_view(latin.constData(), static_cast<size_t>(latin.size())));
}

std::optional<int> parseInteger(std::string_view text) {
    text = skipBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    for (std::size_t j = i; j < text.size(); ++j) {
        if (!isDigit(text[j])) {
            return std::nullopt;
        }
    }
    long long value = 0;
    const char* first = text.data() + (text.front() == '+' ? 1 : 0);
    const auto result = std::from_chars(first, text.data() + text.size(), value);
    if (result.ec != std::errc() || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<int> parseInteger(const QString& text) {
    const QByteArray latin = text.toLatin1();
    return parseInteger(std::string_view(latin.constData(), static_cast<size_t>(latin.size())));
}

std::optional<double> parseReply(std::string_view reply) {
    if (reply.find_first_not_of(' ') == std::string_view::npos) {
        return 0.0;
    }
    return parseDecimal(reply);
}

std::optional<LeadingNumber> parseLeadingNumber(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ') {
        ++start;
    }
    const std::size_t length = numberLength(text.substr(start));
    if (length == 0) {
        return std::nullopt;
    }
    const std::size_t end = start + length;
    if (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' &&
        text[end] != '\n') {
        return std::nullopt;
    }
    const auto value = convert(text.substr(start, length));
    if (!value) {
        return std::nullopt;
    }
    return LeadingNumber{*value, end};
}

}  // namespace tarvix::text
