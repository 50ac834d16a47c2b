// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "series/KtlFileNumber.h"
#include "series/KtlFileRealText.h"

// The paths taken where long double is not the x87 format or 128-bit integers are missing
// (arm64, ARM32) run here beside the quick ones and must give the same bytes and values.
namespace {

using namespace tarvix::series;

std::string written(char* (*write)(char*, double), double value) {
    char buffer[kDefaultRealWidth];
    write(buffer, value);
    return std::string(buffer, kDefaultRealWidth);
}

void expectSameText(double value) {
    ASSERT_EQ(written(writeDefaultReal, value), written(writeDefaultRealPortable, value))
        << std::bit_cast<std::uint64_t>(value);
}

void expectSameReading(const std::string& text) {
    const auto quick = readLineNumber(text);
    const auto portable = readLineNumberPortable(text);
    ASSERT_EQ(quick.has_value(), portable.has_value()) << text;
    if (quick) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(quick->value),
                  std::bit_cast<std::uint64_t>(portable->value))
            << text;
        ASSERT_EQ(quick->end, portable->end) << text;
    }
}

}  // namespace

TEST(KtlFilePortablePath, WritesAndReadsTheSameAsTheQuickPath) {
    const double table[] = {0.0,
                            -0.0,
                            1e-6,
                            0.1f,
                            -3.814697265625e-6,
                            169.9317626953125,  // halfway at the 15th digit
                            11.0 * std::ldexp(1.0, -20),
                            999999999999999.5,
                            9.999999999999995,
                            1e-13,
                            1e15,
                            FLT_MAX,
                            FLT_TRUE_MIN,
                            DBL_MAX,
                            5e-324,
                            std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
    for (double value : table) {
        expectSameText(value);
        expectSameText(-value);
        expectSameReading(written(writeDefaultReal, value));
    }
    // Texts whose quick reading needs the extended format: 19 digits, powers up to 1e27.
    for (const char* text : {"9999999999999999999E27", "1234567890123456789E-27",
                             "9007199254740993E5", " 1.23456789012345E+0025", "5.E3", "-.5"}) {
        expectSameReading(text);
    }
}

TEST(KtlFilePortablePath, AgreesOverARandomSweep) {
    std::mt19937_64 random(1729);
    std::uniform_real_distribution<double> decade(-16, 17);
    for (int i = 0; i < 200000; ++i) {
        const double measured = std::pow(10.0, decade(random)) * (i % 2 ? 1 : -1);
        const float stored = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        const double any = std::bit_cast<double>(random());
        for (double value : {measured, static_cast<double>(stored), any}) {
            expectSameText(value);
            expectSameReading(written(writeDefaultReal, value));
        }
        const std::uint64_t mantissa = random() % 10000000000000000000ULL;
        const int exponent = static_cast<int>(random() % 61) - 30;
        expectSameReading(std::to_string(mantissa) + "E" + std::to_string(exponent));
    }
}
