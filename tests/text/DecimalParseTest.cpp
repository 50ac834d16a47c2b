// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "text/DecimalParse.h"

using namespace tarvix::text;

TEST(ParseDecimal, AcceptsTheStrictGrammar) {
    EXPECT_DOUBLE_EQ(*parseDecimal("  -1.5e-3"), -1.5e-3);
    EXPECT_DOUBLE_EQ(*parseDecimal("+2"), 2.0);
    EXPECT_DOUBLE_EQ(*parseDecimal("1.5E-5"), 1.5e-5);
    EXPECT_DOUBLE_EQ(*parseDecimal("2E-6"), 2e-6);
    EXPECT_DOUBLE_EQ(*parseDecimal("-2"), -2.0);
    EXPECT_DOUBLE_EQ(*parseDecimal("+1.000000E-06"), 1e-6);
}

TEST(ParseDecimal, RejectsAnythingThatDoesNotRunToTheEnd) {
    EXPECT_FALSE(parseDecimal("1,5"));
    EXPECT_FALSE(parseDecimal("1.5 "));
    EXPECT_FALSE(parseDecimal("1.5\n"));
    EXPECT_FALSE(parseDecimal("1.234567E-09,+2.0"));
    EXPECT_FALSE(parseDecimal(""));
    EXPECT_FALSE(parseDecimal("abc"));
    EXPECT_FALSE(parseDecimal("1e999"));
    EXPECT_FALSE(parseDecimal("+1.040564E-06A"));
}

TEST(ParseInteger, TakesPlainDecimalIntegersOnly) {
    EXPECT_EQ(*parseInteger("40"), 40);
    EXPECT_EQ(*parseInteger(" -3"), -3);
    EXPECT_FALSE(parseInteger("1.0"));
    EXPECT_FALSE(parseInteger(""));
    EXPECT_FALSE(parseInteger("99999999999"));
}

TEST(ParseReply, SpacesOnlyMeanNothingReceivedAndConvertToZero) {
    EXPECT_DOUBLE_EQ(*parseReply(std::string(90, ' ')), 0.0);
    EXPECT_DOUBLE_EQ(*parseReply("+1.000000E-06"), 1e-6);
    EXPECT_DOUBLE_EQ(*parseReply(std::string("+1.040564E-06A,+2.236299E+02").substr(0, 13)),
                     1.040564e-6);
    EXPECT_FALSE(parseReply("1.234567E-09,+2.0"));
}

TEST(ParseLeadingNumber, StopsAtTheNextBlank) {
    const auto first = parseLeadingNumber("-1.00000000000000E+0000   -3.81469726562500E-0006");
    ASSERT_TRUE(first);
    EXPECT_DOUBLE_EQ(first->value, -1.0);
    EXPECT_EQ(first->end, 23u);
    EXPECT_FALSE(parseLeadingNumber("x1"));
    EXPECT_FALSE(parseLeadingNumber("1.5x"));
}

TEST(ParseDecimal, APointNeedsADigitOnOneSideOnly) {
    EXPECT_DOUBLE_EQ(*parseDecimal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(*parseDecimal("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(*parseDecimal("5."), 5.0);
    EXPECT_DOUBLE_EQ(*parseDecimal("5.e1"), 50.0);
    EXPECT_FALSE(parseDecimal("."));
    EXPECT_FALSE(parseDecimal("-"));
}
