// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlFileNumber.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "text/DecimalParse.h"

namespace tarvix::series {

namespace {

// The quickest conversion rounds in the x87 extended format; where long double is another
// format (64-bit double on ARM32, 128-bit quad on arm64) those cases go to from_chars, which
// gives the same double.
constexpr bool kExtendedAvailable = LDBL_MANT_DIG == 64 && sizeof(long double) >= 10;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool endsNumber(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Powers of ten up to 1e27: exact in the 64-bit mantissa of a long double, the first 23
// exact in a double as well.
constexpr int kMaxQuickPower = 27;
constexpr int kMaxDoublePower = 22;
constexpr long double kPowers[kMaxQuickPower + 1] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
constexpr std::uint64_t kMaxDoubleMantissa = std::uint64_t(1) << 53;

// Whether a long double lies exactly halfway between two doubles: its 11 bits below a
// double's precision are 100 0000 0000.
[[maybe_unused]] bool isDoubleMidpoint(long double value) {
    std::uint64_t mantissa = 0;
    std::memcpy(&mantissa, &value, sizeof mantissa);  // x87 extended: mantissa first
    if constexpr (std::endian::native == std::endian::big) {
        mantissa = __builtin_bswap64(mantissa);
    }
    return (mantissa & 0x7FF) == 0x400;
}

// mantissa x 10^exponent rounded to the nearest double as the full conversion does, when
// that can be done quickly. Both operands exact in a double make one correctly rounded
// operation (Clinger's fast path). With up to 19 digits and powers up to 1e27 a long double
// operation rounds once to 64 bits; rounding that to a double again gives the correct
// double unless the long double fell exactly on a midpoint, which is left to the full
// conversion. Without the extended format (`Extended` false) those cases are left to it too.
template <bool Extended>
std::optional<double> quickValue(std::uint64_t mantissa, int exponent) {
    if (exponent < -kMaxQuickPower || exponent > kMaxQuickPower) {
        return std::nullopt;
    }
    if (mantissa <= kMaxDoubleMantissa && exponent >= -kMaxDoublePower &&
        exponent <= kMaxDoublePower) {
        const auto m = static_cast<double>(mantissa);
        const auto power = static_cast<double>(kPowers[std::abs(exponent)]);
        return exponent < 0 ? m / power : m * power;
    }
    if constexpr (!Extended) {
        return std::nullopt;
    } else {
        const auto m = static_cast<long double>(mantissa);
        const long double value = exponent < 0 ? m / kPowers[-exponent] : m * kPowers[exponent];
        if (isDoubleMidpoint(value)) {
            return std::nullopt;
        }
        return static_cast<double>(value);
    }
}

// The digits of a number as an integer and a power of ten, while they fit in 64 bits.
struct Decimal {
    std::uint64_t mantissa = 0;
    int digits = 0;  // significant digits in the mantissa; more than 19 do not fit
    int exponent = 0;

    void add(char c, bool fraction) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        exponent -= fraction ? 1 : 0;
        if (digits == 0 && digit == 0) {
            return;  // leading zeros
        }
        if (digits < 19) {
            mantissa = mantissa * 10 + digit;
            ++digits;
        } else {
            digits = 20;  // too long for the quick way
        }
    }
    template <bool Extended>
    std::optional<double> value() const {
        return digits > 19 ? std::nullopt : quickValue<Extended>(mantissa, exponent);
    }
};

// Eight ASCII digits to their value at once (the SWAR method), or false for a non-digit.
bool eightDigits(const char* text, std::uint64_t& value) {
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, text, 8);
    if constexpr (std::endian::native == std::endian::big) {
        chunk = __builtin_bswap64(chunk);  // the first digit in the lowest byte
    }
    if (((chunk & 0xF0F0F0F0F0F0F0F0ULL) |
         (((chunk + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) >> 4)) !=
        0x3333333333333333ULL) {
        return false;
    }
    chunk -= 0x3030303030303030ULL;
    chunk = chunk * 10 + (chunk >> 8);
    chunk = (((chunk & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
             (((chunk >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
            32;
    value = chunk & 0xFFFFFFFFULL;
    return true;
}

// The layout this program writes, d.ddddddddddddddE+dddd after the sign, read without a
// loop over most digits. Returns the end of the number, or nullptr for any other shape.
template <bool Extended>
const char* defaultRealShape(const char* p, const char* end, bool negative, double& value) {
    constexpr std::ptrdiff_t kLength = 22;
    if (end - p < kLength || !isDigit(p[0]) || p[1] != '.' || p[16] != 'E' ||
        (p[17] != '+' && p[17] != '-') || (end - p > kLength && !endsNumber(p[kLength]))) {
        return nullptr;
    }
    // The fraction's digits 1 to 8, and 3 to 14 read as eight that overlap the first by two.
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    if (!eightDigits(p + 2, high) || !eightDigits(p + 8, low)) {
        return nullptr;
    }
    const std::uint64_t mantissa = static_cast<std::uint64_t>(p[0] - '0') * 100000000000000ULL +
                                   high * 1000000ULL + low % 1000000ULL;
    int exponent = 0;
    for (int i = 18; i < 22; ++i) {
        if (!isDigit(p[i])) {
            return nullptr;
        }
        exponent = exponent * 10 + (p[i] - '0');
    }
    const std::optional<double> quick =
        quickValue<Extended>(mantissa, (p[17] == '-' ? -exponent : exponent) - 14);
    if (!quick) {
        return nullptr;
    }
    value = negative ? -*quick : *quick;
    return p + kLength;
}

template <bool Extended>
std::optional<LineNumber> readLineNumberWith(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    while (p < end && *p == ' ') {
        ++p;
    }
    const char* const start = p;
    const bool negative = p < end && *p == '-';
    double quick = 0;
    if (const char* after =
            defaultRealShape<Extended>(p + (negative ? 1 : 0), end, negative, quick)) {
        return LineNumber{quick, static_cast<std::size_t>(after - begin)};
    }
    // The shape of the number decides whether the conversion can run on the text as it is.
    bool plain = true;
    if (p < end && (*p == '+' || *p == '-')) {
        plain = negative;
        ++p;
    }
    Decimal decimal;
    const char* const integerStart = p;
    while (p < end && isDigit(*p)) {
        decimal.add(*p, false);
        ++p;
    }
    const bool integerDigits = p != integerStart;
    bool fractionDigits = false;
    if (p < end && *p == '.') {
        const char* const fractionStart = ++p;
        while (p < end && isDigit(*p)) {
            decimal.add(*p, true);
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
        const bool negativeExponent = q < end && *q == '-';
        if (q < end && (*q == '+' || *q == '-')) {
            ++q;
        }
        const char* const exponentStart = q;
        int exponent = 0;
        while (q < end && isDigit(*q)) {
            exponent = std::min(exponent * 10 + (*q - '0'), 100000);
            ++q;
        }
        if (q != exponentStart) {
            p = q;
            decimal.exponent += negativeExponent ? -exponent : exponent;
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
    if (const auto value = decimal.template value<Extended>()) {
        return LineNumber{negative ? -*value : *value, position};
    }
    double value = 0;
    const auto result = std::from_chars(start, p, value);
    if (result.ec != std::errc() || result.ptr != p || !std::isfinite(value)) {
        return std::nullopt;
    }
    return LineNumber{value, position};
}

}  // namespace

std::optional<LineNumber> readLineNumber(std::string_view text) {
    return readLineNumberWith<kExtendedAvailable>(text);
}

std::optional<LineNumber> readLineNumberPortable(std::string_view text) {
    return readLineNumberWith<false>(text);
}

}  // namespace tarvix::series
