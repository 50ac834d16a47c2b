#include "text/NumberText.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tarvix::text {

namespace {

struct DecimalDigits {
    bool negative = false;
    std::string digits;  // 15 significant digits, first one non-zero unless the value is 0
    int exponent = 0;    // value = d1.d2d3... x 10^exponent
};

// std::to_chars, unlike printf, never follows the process locale: the program's numbers keep
// their full stop whatever the operator's system uses.
DecimalDigits decompose(double value) {
    char buffer[40];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::scientific, 14);
    *written.ptr = '\0';
    DecimalDigits result;
    const char* p = buffer;
    if (*p == '-') {
        result.negative = true;
        ++p;
    }
    for (; *p != 'e'; ++p) {
        if (*p != '.') {
            result.digits.push_back(*p);
        }
    }
    result.exponent = std::atoi(p + 1);
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
