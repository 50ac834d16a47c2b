// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "iv/ComplianceWatch.h"

using tarvix::iv::ComplianceWatch;

// Within 0.5 % below the limit, or beyond it, either sign; never with no limit or no reading.
TEST(ComplianceWatch, ABoundHalfAPercentBelowTheLimit) {
    const struct {
        double reading;
        double limit;
        bool at;
    } cases[] = {
        {0.995e-4, 1e-4, true},     {0.99499e-4, 1e-4, false}, {-0.995e-4, 1e-4, true},
        {-0.99499e-4, 1e-4, false}, {1e-4, 1e-4, true},        {1.3e-4, 1e-4, true},
        {0.995, 1.0, true},         {0.9949, 1.0, false},      {std::nan(""), 1e-4, false},
        {1e-4, 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComplianceWatch::atLimit(c.reading, c.limit), c.at)
            << c.reading << " against " << c.limit;
    }
}

// The count of the run, the limit in short E form and the level nearest zero that reached it.
TEST(ComplianceWatch, TheSummarySaysHowManyPointsFromWhere) {
    struct Point {
        double reading;
        double level;
    };
    const struct {
        ComplianceWatch::Limit kind;
        double limit;
        std::vector<Point> points;
        const char* summary;
    } cases[] = {
        {ComplianceWatch::Limit::Current,
         1e-4,
         {{5e-5, 0.05}, {1e-4, 0.1}, {1e-4, 0.15}},
         "reached the compliance 1.0E-4 A at 2 of 3 points, from 0.10 V"},
        {ComplianceWatch::Limit::Current,
         1.05e-4,
         {{-1.05e-4, -2}, {1.05e-4, 0.005}, {1e-6, 0}},
         "reached the compliance 1.05E-4 A at 2 of 3 points, from 0.0050 V"},
        {ComplianceWatch::Limit::Current,
         2e-6,
         {{2e-6, -0.25}, {2e-6, 0.25}},
         "reached the compliance 2.0E-6 A at 2 of 2 points, from -0.25 V"},
        {ComplianceWatch::Limit::Voltage,
         20,
         {{19.9, 5e-5}, {20, 1.2345e-4}},
         "reached the compliance 2.0E+1 V at 2 of 2 points, from 5.0E-5 A"},
        {ComplianceWatch::Limit::Current, 1e-4, {{0.99e-4, 1.0}}, ""},
        {ComplianceWatch::Limit::None, 1e-4, {{1e-4, 1.0}}, ""},
    };
    for (const auto& c : cases) {
        ComplianceWatch watch;
        watch.start(c.kind, c.limit);
        for (const Point& point : c.points) {
            watch.note(point.reading, point.level);
        }
        EXPECT_EQ(watch.summary().toStdString(), c.summary);
    }
}
