// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "text/NumberText.h"

#include <clocale>
#include <string>

using namespace tarvix::text;

TEST(DefaultReal, MatchesTheFixedTwentyThreeCharacterForm) {
    EXPECT_EQ(defaultReal(1e-6), " 1.00000000000000E-0006");
    EXPECT_EQ(defaultReal(0.1f), " 1.00000001490116E-0001");
    EXPECT_EQ(defaultReal(-1.0), "-1.00000000000000E+0000");
    EXPECT_EQ(defaultReal(0.0), " 0.00000000000000E+0000");
    EXPECT_EQ(defaultReal(-0.0), " 0.00000000000000E+0000");
    EXPECT_EQ(defaultReal(1e300), " 1.00000000000000E+0300");
    EXPECT_EQ(defaultReal(2.0), " 2.00000000000000E+0000");
    EXPECT_EQ(defaultReal(-3.814697265625e-6), "-3.81469726562500E-0006");
    EXPECT_EQ(defaultReal(101.0), " 1.01000000000000E+0002");
    EXPECT_EQ(defaultReal(0.02).size(), 23);
}

TEST(DefaultReal, RoundsToFifteenSignificantDigits) {
    EXPECT_EQ(defaultReal(0.123456789012345678), " 1.23456789012346E-0001");
    EXPECT_EQ(defaultReal(9.999999999999999), " 1.00000000000000E+0001");
    EXPECT_EQ(defaultReal(1.01391998963418E-10), " 1.01391998963418E-0010");
}

TEST(FixedText, PadsToWidthAndNeverCuts) {
    EXPECT_EQ(fixedText(0.05, 3, 6), "0.050000");
    EXPECT_EQ(fixedText(-0.05, 3, 6), "-0.050000");
    EXPECT_EQ(fixedText(10.0, 6, 2), " 10.00");
    EXPECT_EQ(fixedText(2000000.0, 6, 2), "2000000.00");
    EXPECT_EQ(fixedText(12.5, 10, 6), " 12.500000");
    EXPECT_EQ(fixedText(-2.0, 3, 2), "-2.00");
    EXPECT_EQ(fixedText(0.5, 1, 3), "0.500");
}

TEST(GeneralText, ChoosesFixedOrExponentByTheDecimalExponent) {
    EXPECT_EQ(generalText(0.0001), "0.0001");
    EXPECT_EQ(generalText(0.000015), "1.5E-5");
    EXPECT_EQ(generalText(1e15), "1E15");
    EXPECT_EQ(generalText(123456789012345.0), "123456789012345");
    EXPECT_EQ(generalText(0.0), "0");
    EXPECT_EQ(generalText(-2.0), "-2");
    EXPECT_EQ(generalText(1.2), "1.2");
    EXPECT_EQ(generalText(1.5, QChar(',')), "1,5");
    EXPECT_EQ(generalText(0.001), "0.001");
    EXPECT_EQ(generalText(-1.5e-5), "-1.5E-5");
    EXPECT_EQ(generalText(1e-20), "1E-20");
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(6.67), 7);
}

TEST(NumberForms, IgnoreTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    // A comma locale, when the machine has one; the C locale otherwise (the test still runs).
    for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            break;
        }
    }
    EXPECT_EQ(defaultReal(1.5), " 1.50000000000000E+0000");
    EXPECT_EQ(fixedText(0.5, 1, 3), "0.500");
    EXPECT_EQ(generalText(0.25), "0.25");
    std::setlocale(LC_NUMERIC, saved.c_str());
}
