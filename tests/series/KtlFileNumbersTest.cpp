// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QByteArray>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "series/KtlFileNumber.h"
#include "series/KtlFileRealText.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

using tarvix::series::kDefaultRealWidth;
using tarvix::series::readLineNumber;
using tarvix::series::writeDefaultReal;

namespace {

std::string fastText(double value) {
    char buffer[kDefaultRealWidth + 1] = {};
    char* end = writeDefaultReal(buffer, value);
    EXPECT_EQ(end - buffer, static_cast<std::ptrdiff_t>(kDefaultRealWidth));
    return std::string(buffer, kDefaultRealWidth);
}

std::string sharedText(double value) {
    return tarvix::text::defaultReal(value).toStdString();
}

}  // namespace

TEST(KtlFileRealText, MatchesTheSharedFormOnEdgeCases) {
    const double cases[] = {
        0.0,
        -0.0,
        1e-6,
        -1.0,
        0.5,
        0.1f,
        101.0,
        10000.0,
        -3.814697265625e-6,
        1.52587890625e-5,
        11.0 * std::ldexp(1.0, -20),  // 16 digits ending in 5: a tie at the 15th digit
        13.0 * std::ldexp(1.0, -20),
        9.999999999999995,
        9.9999999999999949,
        99999999999999.95,
        FLT_MAX,
        -FLT_MAX,
        FLT_MIN,
        FLT_TRUE_MIN,
        -FLT_TRUE_MIN,
        DBL_MAX,
        DBL_MIN,
        5e-324,
        1e100,
        1e-100,
        123456789012345678.0,
        1.01391998963418E-10,
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()};
    for (double value : cases) {
        EXPECT_EQ(fastText(value), sharedText(value)) << value;
    }
    EXPECT_EQ(fastText(1e-6), " 1.00000000000000E-0006");
    EXPECT_EQ(fastText(-1.0), "-1.00000000000000E+0000");
    EXPECT_EQ(fastText(0.1f), " 1.00000001490116E-0001");
}

TEST(KtlFileRealText, MatchesTheSharedFormOverRandomFloatsAndDoubles) {
    std::mt19937_64 random(20240517);
    for (int i = 0; i < 200000; ++i) {
        const auto bits = static_cast<std::uint32_t>(random());
        const float value = std::bit_cast<float>(bits);
        ASSERT_EQ(fastText(value), sharedText(value)) << bits;
    }
    // Every float of few mantissa bits ends in many exact digits: ties are common there.
    for (int mantissa = 1; mantissa < 4096; mantissa += 2) {
        for (int exponent = -149; exponent <= 104; exponent += 7) {
            const double value = std::ldexp(static_cast<double>(mantissa), exponent);
            ASSERT_EQ(fastText(value), sharedText(value)) << mantissa << "p" << exponent;
        }
    }
    for (int i = 0; i < 100000; ++i) {
        const double value = std::bit_cast<double>(random());
        ASSERT_EQ(fastText(value), sharedText(value));
    }
    // Doubles across the range of measured values, and decimal values near halfway cases.
    std::uniform_real_distribution<double> decade(-16, 17);
    for (int i = 0; i < 100000; ++i) {
        const double value = std::pow(10.0, decade(random)) * (i % 2 ? 1 : -1);
        ASSERT_EQ(fastText(value), sharedText(value)) << value;
        const double rounded = std::stod(sharedText(value)) + (i % 3 - 1) * 5e-15 * value;
        ASSERT_EQ(fastText(rounded), sharedText(rounded)) << rounded;
    }
}

TEST(KtlFileNumber, ReadsWhatTheSharedParserReads) {
    const char* cases[] = {" 1.00000000000000E-0006",
                           "-3.81469726562500E-0006   1.5",
                           "   42",
                           "+5",
                           "-.5 x",
                           ".5",
                           "5.",
                           "-5.",
                           "5.E3",
                           "1e5",
                           "1E+0005",
                           "1E",
                           "1E x",
                           "1.5abc",
                           "-",
                           ".",
                           "",
                           "   ",
                           "1.0\t2",
                           "1.0\r",
                           "1e400",
                           "1e-400",
                           "0x10",
                           "1,5",
                           "--1",
                           "12 34",
                           "1.2.3",
                           "\t1",
                           "7e-",
                           "9.99999999999999999999999",
                           "00012.5000"};
    for (const char* text : cases) {
        const auto shared = tarvix::text::parseLeadingNumber(text);
        const auto fast = readLineNumber(text);
        ASSERT_EQ(fast.has_value(), shared.has_value()) << '"' << text << '"';
        if (fast) {
            EXPECT_EQ(fast->value, shared->value) << text;
            EXPECT_EQ(fast->end, shared->end) << text;
        }
    }
}

TEST(KtlFileNumber, AgreesWithTheSharedParserOnRandomTexts) {
    std::mt19937 random(7);
    const std::string alphabet = "0123456789+-.eE \t\rx";
    for (int i = 0; i < 200000; ++i) {
        std::string text(random() % 12, ' ');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        const auto shared = tarvix::text::parseLeadingNumber(text);
        const auto fast = readLineNumber(text);
        ASSERT_EQ(fast.has_value(), shared.has_value()) << '"' << text << '"';
        if (fast) {
            ASSERT_EQ(fast->value, shared->value) << text;
            ASSERT_EQ(fast->end, shared->end) << text;
        }
    }
}

TEST(KtlFileNumber, GivesTheSharedValueForLongAndShortDecimals) {
    std::mt19937_64 random(99);
    for (int i = 0; i < 200000; ++i) {
        // Up to 22 digits around a point and exponents on both sides of the exact powers.
        std::string text = random() % 2 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 22);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0) {
                text += '.';
            }
            text += static_cast<char>('0' + random() % 10);
        }
        text += "E" + std::to_string(static_cast<int>(random() % 80) - 40) + " ";
        const auto shared = tarvix::text::parseLeadingNumber(text);
        const auto fast = readLineNumber(text);
        ASSERT_EQ(fast.has_value(), shared.has_value()) << text;
        if (fast) {
            ASSERT_EQ(std::bit_cast<std::uint64_t>(fast->value),
                      std::bit_cast<std::uint64_t>(shared->value))
                << text;
        }
    }
    for (int i = 0; i < 100000; ++i) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        const std::string text = tarvix::text::defaultReal(value).toStdString();
        const auto fast = readLineNumber(text);
        ASSERT_EQ(fast.has_value(), std::isfinite(value)) << text;
        if (fast) {
            ASSERT_EQ(static_cast<float>(fast->value), value) << text;
        }
    }
}

TEST(KtlFileNumber, QuickConversionsRoundAsTheFullOneDoes) {
    std::mt19937_64 random(5);
    // Long mantissas with powers around the limits of the exact doubles and long doubles,
    // where a second rounding could go wrong.
    for (int i = 0; i < 300000; ++i) {
        const std::uint64_t mantissa = random() % 10000000000000000000ULL;
        const int exponent = static_cast<int>(random() % 61) - 30;
        const std::string text = std::to_string(mantissa) + "E" + std::to_string(exponent);
        const auto shared = tarvix::text::parseLeadingNumber(text);
        const auto fast = readLineNumber(text);
        ASSERT_TRUE(fast && shared) << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(fast->value),
                  std::bit_cast<std::uint64_t>(shared->value))
            << text;
    }
    // The program's own layout of doubles of every magnitude.
    for (int i = 0; i < 300000; ++i) {
        const double value =
            std::ldexp(std::bit_cast<double>((random() >> 12) | 0x3FF0000000000000ULL),
                       static_cast<int>(random() % 240) - 120);
        const std::string text = tarvix::text::defaultReal(i % 2 ? value : -value).toStdString();
        const auto shared = tarvix::text::parseLeadingNumber(text);
        const auto fast = readLineNumber(text);
        ASSERT_TRUE(fast && shared) << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(fast->value),
                  std::bit_cast<std::uint64_t>(shared->value))
            << text;
        ASSERT_EQ(fast->end, text.size());
    }
}

// A value exactly halfway at the fifteenth digit rounds away from zero, in the file writer
// and in the shared form alike, on both sides of the writer's quick range.
TEST(KtlFileRealText, HalfwayValuesRoundAwayFromZero) {
    const std::pair<double, const char*> cases[] = {
        {-169.9317626953125, "-1.69931762695313E+0002"},
        {169.9317626953125, " 1.69931762695313E+0002"},
        {11.0 * std::ldexp(1.0, -20), " 1.04904174804688E-0005"},
        {1234567890123445.0, " 1.23456789012345E+0015"},  // beyond the quick range
        {-1234567890123455.0, "-1.23456789012346E+0015"},
        {1234567890123444.0, " 1.23456789012344E+0015"},  // below half stays
        {999999999999999.5, " 1.00000000000000E+0015"},   // the carry moves the exponent
        {169.9317626953124, " 1.69931762695312E+0002"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(fastText(value), text) << value;
        EXPECT_EQ(sharedText(value), text) << value;
    }
}
