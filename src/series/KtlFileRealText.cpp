// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlFileRealText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "text/NumberText.h"

namespace tarvix::series {

namespace {

#if defined(__SIZEOF_INT128__)
// 128-bit products keep the digit arithmetic of the quick way exact (a GCC and Clang
// extension); without them every value takes the general way, which gives the same text.
__extension__ typedef unsigned __int128 Wide;
#define TARVIX_QUICK_DIGITS 1
#endif

constexpr int kFractionDigits = 14;
constexpr std::uint64_t kSmallest15 = 100000000000000ULL;  // 10^14
constexpr std::uint64_t kBeyond15 = 1000000000000000ULL;   // 10^15

constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes `value` as exactly `count` decimal digits (count even).
void writeDigits(char* out, std::uint64_t value, int count) {
    for (int i = count - 2; i >= 0; i -= 2) {
        std::memcpy(out + i, &kDigitPairs[static_cast<std::size_t>(2 * (value % 100))], 2);
        value /= 100;
    }
}

// The 15 significant digits of a positive double, rounded on its exact value with halves away
// from zero as the runtime that wrote the existing files does, and its decimal exponent: value ~
// digits x 10^(exponent - 14). Exact integer arithmetic: digits = round(mantissa x 2^e x 10^q) with
// q = 14 - exponent, computed as mantissa x 5^q shifted right. Covers 1e-13 to 1e15, the
// range of measured values; false elsewhere.
#ifdef TARVIX_QUICK_DIGITS
constexpr int kMaxQuickScale = 27;  // 5^27 still fits in 64 bits

constexpr auto kPowersOfFive = [] {
    std::array<std::uint64_t, kMaxQuickScale + 1> powers{};
    powers[0] = 1;
    for (int i = 1; i <= kMaxQuickScale; ++i) {
        powers[static_cast<std::size_t>(i)] = powers[static_cast<std::size_t>(i - 1)] * 5;
    }
    return powers;
}();

bool quickDigits(double value, std::uint64_t& digits, int& exponent) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52) & 0x7FF;
    if (biased == 0) {
        return false;  // subnormal
    }
    const std::uint64_t mantissa = (bits & ((std::uint64_t(1) << 52) - 1)) | std::uint64_t(1) << 52;
    const int binaryExponent = biased - 1075;
    exponent = ((biased - 1023) * 78913) >> 18;  // floor(log10(2^(biased - 1023))), or one less
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = kFractionDigits - exponent;
        const int shift = -(binaryExponent + scale);
        if (scale < 0 || scale > kMaxQuickScale || shift <= 0 || shift >= 127) {
            return false;
        }
        const Wide scaled =
            static_cast<Wide>(mantissa) * kPowersOfFive[static_cast<std::size_t>(scale)];
        auto whole = static_cast<std::uint64_t>(scaled >> shift);
        if (whole >= kBeyond15) {
            ++exponent;
            continue;
        }
        if (whole < kSmallest15) {
            --exponent;
            continue;
        }
        const Wide half = static_cast<Wide>(1) << (shift - 1);
        const Wide rest = scaled & ((half << 1) - 1);
        if (rest >= half) {
            ++whole;
        }
        if (whole == kBeyond15) {  // 9.99...95 rounds up to the next power of ten
            whole = kSmallest15;
            ++exponent;
        }
        digits = whole;
        return true;
    }
    return false;
}
#else
bool quickDigits(double, std::uint64_t&, int&) {
    return false;
}
#endif

// " d.ddddddddddddddE+xxxx" from 15 digits and the decimal exponent.
char* writeParts(char* out, bool negative, std::uint64_t digits, int exponent) {
    out[0] = negative ? '-' : ' ';
    out[1] = static_cast<char>('0' + digits / kSmallest15);
    out[2] = '.';
    writeDigits(out + 3, digits % kSmallest15, kFractionDigits);
    out[17] = 'E';
    out[18] = exponent < 0 ? '-' : '+';
    writeDigits(out + 19, static_cast<std::uint64_t>(std::abs(exponent)), 4);
    return out + kDefaultRealWidth;
}

// Everything else: the exact decimal digits through to_chars, rounded here (halves away from
// zero, which to_chars does not do); infinities and NaN through the shared routine.
char* writeGenerally(char* out, double value) {
    if (!std::isfinite(value)) {
        const QByteArray text = text::defaultReal(value).toLatin1();
        std::memcpy(out, text.constData(), kDefaultRealWidth);
        return out + kDefaultRealWidth;
    }
    // Enough digits that the 16th decides the rounding: a double never lies closer to a
    // half of the 15th digit than this without lying on it.
    constexpr int kExactDigits = 40;
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, std::fabs(value),
                                      std::chars_format::scientific, kExactDigits);
    std::uint64_t digits = static_cast<std::uint64_t>(text[0] - '0');
    for (int i = 2; i < 2 + kFractionDigits; ++i) {
        digits = digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    const char* e = std::find(text, result.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), result.ptr, exponent);
    if (text[2 + kFractionDigits] >= '5') {
        ++digits;
    }
    if (digits == kBeyond15) {
        digits = kSmallest15;
        ++exponent;
    }
    return writeParts(out, value < 0, digits, exponent);
}

}  // namespace

char* writeDefaultRealPortable(char* out, double value) {
    return writeGenerally(out, value);
}

char* writeDefaultReal(char* out, double value) {
    std::uint64_t digits = 0;
    int exponent = 0;
    if (value == 0 || !quickDigits(std::fabs(value), digits, exponent)) {
        return writeGenerally(out, value);
    }
    return writeParts(out, value < 0, digits, exponent);
}

}  // namespace tarvix::series
