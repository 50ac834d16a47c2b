#include "series/KtlFileNumber.h"

#include <charconv>
#include <cmath>

#include "text/DecimalParse.h"

namespace tarvix::series {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool endsNumber(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::optional<LineNumber> readLineNumber(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    while (p < end && *p == ' ') {
        ++p;
    }
    const char* const start = p;
    // The shape of the number decides whether the conversion can run on the text as it is.
    bool plain = true;
    if (p < end && (*p == '+' || *p == '-')) {
        plain = *p == '-';
        ++p;
    }
    const char* const integerStart = p;
    while (p < end && isDigit(*p)) {
        ++p;
    }
    const bool integerDigits = p != integerStart;
    bool fractionDigits = false;
    if (p < end && *p == '.') {
        const char* const fractionStart = ++p;
        while (p < end && isDigit(*p)) {
            ++p;
        }
        fractionDigits = p != fractionStart;
        plain = plain && integerDigits && fractionDigits;
    }
    if (!integerDigits && !fractionDigits) {
        return std::nullopt;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q < end && (*q == '+' || *q == '-')) {
            ++q;
        }
        const char* const exponentStart = q;
        while (q < end && isDigit(*q)) {
            ++q;
        }
        if (q != exponentStart) {
            p = q;
        }
    }
    if (p < end && !endsNumber(*p)) {
        return std::nullopt;
    }
    const auto position = static_cast<std::size_t>(p - begin);
    if (!plain) {
        // Rare spellings ("+1", ".5", "5.") go the shared way, which rewrites them first.
        const auto shared = text::parseLeadingNumber(std::string_view(start, p - start));
        if (!shared) {
            return std::nullopt;
        }
        return LineNumber{shared->value, position};
    }
    double value = 0;
    const auto result = std::from_chars(start, p, value);
    if (result.ec != std::errc() || result.ptr != p || !std::isfinite(value)) {
        return std::nullopt;
    }
    return LineNumber{value, position};
}

}  // namespace tarvix::series
