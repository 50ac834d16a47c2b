// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ReadingText.h"

#include <cmath>
#include <cstdio>

namespace tarvix::sim::readingText {

namespace {

std::string format(const char* pattern, int decimals, double value) {
    if (!std::isfinite(value)) {
        value = kNotANumber;
    }
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, pattern, decimals, value);
    return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace

std::string signedExponent(double value, int decimals) {
    return format("%+.*E", decimals, value);
}

std::string plainExponent(double value, int decimals) {
    return format("%.*e", decimals, value);
}

std::string capitalExponent(double value, int decimals) {
    return format("%.*E", decimals, value);
}

}  // namespace tarvix::sim::readingText
