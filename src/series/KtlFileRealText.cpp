#include "series/KtlFileRealText.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "text/NumberText.h"

namespace tarvix::series {

namespace {

// Rare values (infinities, NaN) take the shared routine; it pads them to the same width.
char* writeSlowly(char* out, double value) {
    const QByteArray text = text::defaultReal(value).toLatin1();
    std::memcpy(out, text.constData(), kDefaultRealWidth);
    return out + kDefaultRealWidth;
}

}  // namespace

char* writeDefaultReal(char* out, double value) {
    if (!std::isfinite(value)) {
        return writeSlowly(out, value);
    }
    // "%.14e" in the C locale: [-]d.dddddddddddddde(+|-)dd[d], correctly rounded, ties to
    // even, the same digits the shared routine takes from the C library.
    char digits[32];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific, 14);
    const char* p = digits;
    const bool negative = *p == '-';
    if (negative) {
        ++p;
    }
    const bool zero = value == 0;
    out[0] = negative && !zero ? '-' : ' ';
    std::memcpy(out + 1, p, 16);  // d.dddddddddddddd
    p += 16;                      // at 'e'
    out[17] = 'E';
    out[18] = p[1];
    int exponent = 0;
    for (const char* q = p + 2; q < result.ptr; ++q) {
        exponent = exponent * 10 + (*q - '0');
    }
    out[19] = static_cast<char>('0' + exponent / 1000);
    out[20] = static_cast<char>('0' + exponent / 100 % 10);
    out[21] = static_cast<char>('0' + exponent / 10 % 10);
    out[22] = static_cast<char>('0' + exponent % 10);
    return out + kDefaultRealWidth;
}

}  // namespace tarvix::series
