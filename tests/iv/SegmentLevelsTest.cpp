// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "iv/SegmentLevels.h"

using namespace tarvix;

namespace {

std::vector<double> levelsOf(double start, double end, int steps) {
    iv::SegmentLevels levels(start, end, steps);
    std::vector<double> result{start};
    while (result.back() != end || result.size() == 1) {
        result.push_back(levels.next());
        if (result.size() > 100000) {
            break;
        }
    }
    return result;
}

}  // namespace

// N steps give N + 1 levels a + i (b - a) / N, the last one b exactly, none repeated, for
// spans whose step does not add up exactly in binary.
TEST(SegmentLevels, NStepsGiveNPlusOneExactLevels) {
    struct Case {
        double start;
        double end;
        int steps;
    };
    for (const Case& c : std::vector<Case>{{0, 1, 10},
                                           {1, 0, 10},
                                           {-2, 0, 7},
                                           {0, 2, 40},
                                           {0.1, 0.7, 3},
                                           {-1.5e-5, 1.5e-5, 80},  // the current sweep
                                           {0, 1.5e-5, 80},
                                           {0, 2, 9999},
                                           {2, 0, -4}}) {  // a negative count steps alike
        SCOPED_TRACE(testing::Message() << c.start << " -> " << c.end << " in " << c.steps);
        const std::vector<double> levels = levelsOf(c.start, c.end, c.steps);
        const int n = std::abs(c.steps);
        ASSERT_EQ(levels.size(), static_cast<size_t>(n + 1));
        EXPECT_EQ(levels.back(), c.end);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(levels[static_cast<size_t>(i)], c.start + i * (c.end - c.start) / n) << i;
            EXPECT_NE(levels[static_cast<size_t>(i)], levels[static_cast<size_t>(i + 1)]) << i;
        }
    }
}

// A level set by the operator's bar in the middle of a segment: the steps go on from there and
// end on the end exactly; a level at or past the end goes straight to it.
TEST(SegmentLevels, StepsGoOnFromALevelTheBarSet) {
    for (const double bar : {0.4, 2.0, 2.5}) {
        iv::SegmentLevels levels(0, 2, 4000);
        levels.restartFrom(bar);
        int steps = 1;
        while (levels.next() != 2.0) {
            ++steps;
        }
        EXPECT_EQ(steps, bar == 0.4 ? 3200 : 1) << bar;
    }
}
