// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "lcr/TidySweepCsv.h"

using tarvix::lcr::parameterColumnName;

// Captions with blanks, bars, parentheses and a Cyrillic letter become plain column names;
// the meter's own choice, none and unknown codes keep the caller's name.
TEST(TidySweepCsv, ParameterCodesBecomeColumnNames) {
    const std::pair<const char*, const char*> names[] = {
        {"CP", "c_parallel"}, {"DF", "dissipation"},    {"Z", "z_impedance"},
        {"P", "phase_angle"}, {"GP", "gp_conductance"}, {"ESR", "esr"},
        {"A", "fallback"},    {"N", "fallback"},        {"XX", "fallback"},
    };
    for (const auto& [code, expected] : names) {
        EXPECT_EQ(parameterColumnName(QString::fromLatin1(code), QStringLiteral("fallback")),
                  QString::fromLatin1(expected))
            << code;
    }
}
