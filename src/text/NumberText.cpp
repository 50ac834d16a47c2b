// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/NumberText.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tarvix::text {

namespace {

struct DecimalDigits {
    bool negative = false;
    std::string digits;  // 15 significant digits, first one non-zero unless the value is 0
    int exponent = 0;    // value = d1.d2d3... x 10^exponent
};

// std::to_chars, unlike printf, never follows the process locale: the program's numbers keep
// their full stop whatever the operator's system uses. It rounds ties to even, the runtime
// that wrote the existing files rounds them away from zero: the digits are taken exactly and
// rounded here (a double never lies closer to a tie than 40 digits show without lying on it).
DecimalDigits decompose(double value) {
    constexpr int kExactDigits = 40;
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer - 1, std::fabs(value),
                                       std::chars_format::scientific, kExactDigits);
    *written.ptr = '\0';
    DecimalDigits result;
    result.negative = std::signbit(value);
    result.digits.push_back(buffer[0]);
    result.digits.append(buffer + 2, 14);
    result.exponent = std::atoi(std::strchr(buffer, 'e') + 1);
    if (buffer[16] >= '5') {
        int i = 14;
        for (; i >= 0 && result.digits[static_cast<std::size_t>(i)] == '9'; --i) {
            result.digits[static_cast<std::size_t>(i)] = '0';
        }
        if (i < 0) {
            result.digits[0] = '1';
            ++result.exponent;
        } else {
            ++result.digits[static_cast<std::size_t>(i)];
        }
    }
    return result;
}

QString nonFinite(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("Nan");
    }
    return value > 0 ? QStringLiteral("+Inf") : QStringLiteral("-Inf");
}

}  // namespace

QString defaultReal(double value) {
    if (!std::isfinite(value)) {
        return nonFinite(value).rightJustified(23, ' ');
    }
    const DecimalDigits d = decompose(value);
    const bool isZero = d.digits.find_first_not_of('0') == std::string::npos;
    QString text;
    text.reserve(23);
    text += QChar((d.negative && !isZero) ? '-' : ' ');
    text += QChar(d.digits[0]);
    text += QChar('.');
    text += QString::fromLatin1(d.digits.substr(1));
    text += QChar('E');
    text += QChar(d.exponent < 0 ? '-' : '+');
    text += QString::number(std::abs(d.exponent)).rightJustified(4, '0');
    return text;
}

QString fixedText(double value, int width, int decimals) {
    if (!std::isfinite(value)) {
        return nonFinite(value).rightJustified(width, ' ');
    }
    char buffer[400];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    const QString text = QString::fromLatin1(buffer, static_cast<qsizetype>(written.ptr - buffer));
    return text.rightJustified(width, ' ');
}

QString generalText(double value, QChar decimalSeparator) {
    if (!std::isfinite(value)) {
        return nonFinite(value);
    }
    DecimalDigits d = decompose(value);
    while (d.digits.size() > 1 && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    if (d.digits == "0") {
        return QStringLiteral("0");
    }
    QString text = d.negative ? QStringLiteral("-") : QString();
    const int count = static_cast<int>(d.digits.size());
    const int e = d.exponent + 1;  // value = 0.d1d2... x 10^e
    if (e >= -3 && e <= 15) {
        if (d.exponent >= 0) {
            for (int i = 0; i <= d.exponent; ++i) {
                text += QChar(i < count ? d.digits[static_cast<size_t>(i)] : '0');
            }
            if (count > d.exponent + 1) {
                text += decimalSeparator;
                text += QString::fromLatin1(d.digits.substr(static_cast<size_t>(d.exponent) + 1));
            }
        } else {
            text += QChar('0');
            text += decimalSeparator;
            text += QString(-d.exponent - 1, QChar('0'));
            text += QString::fromLatin1(d.digits);
        }
        return text;
    }
    text += QChar(d.digits[0]);
    if (count > 1) {
        text += decimalSeparator;
        text += QString::fromLatin1(d.digits.substr(1));
    }
    text += QChar('E');
    text += QString::number(d.exponent);
    return text;
}

QString generalTextForDisplay(double value) {
    const QString separator = QLocale::system().decimalPoint();
    return generalText(value, separator.isEmpty() ? QChar('.') : separator.front());
}

std::int64_t roundHalfEven(double value) {
    return static_cast<std::int64_t>(std::nearbyint(value));
}

}  // namespace tarvix::text
