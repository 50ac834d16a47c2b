#include <gtest/gtest.h>

#include <vector>

#include "iv/SegmentLevels.h"
#include "iv/SweepPlan.h"

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

// The velocity mode rounds the step count; the levels then follow that count, so the segment
// still ends on its end voltage and not one step past it.
TEST(SegmentLevels, VelocityModeEndsOnTheSegmentEnd) {
    iv::PlanTexts texts;
    texts.segments.fill(QStringLiteral("0"));
    texts.segments[1] = QStringLiteral("2");
    texts.velocity = QStringLiteral("0.3");
    texts.stepCount = QStringLiteral("40");
    texts.repeatCount = QStringLiteral("1");
    texts.stepCountMode = false;
    const iv::SweepPlan plan = iv::buildVoltagePlan(texts).plan;
    ASSERT_TRUE(plan.valid);
    ASSERT_EQ(plan.stepCount, 7);
    const std::vector<double> levels = levelsOf(0, 2, plan.stepCount);
    ASSERT_EQ(levels.size(), 8u);
    EXPECT_EQ(levels.back(), 2.0);
    EXPECT_DOUBLE_EQ(levels[6], 12.0 / 7);
}

// A level set by the operator's bar in the middle of a segment: the steps go on from there by
// the segment's step and still end on the end exactly; a level at or past the end goes to it.
TEST(SegmentLevels, StepsGoOnFromALevelTheBarSet) {
    iv::SegmentLevels levels(0, 2, 4000);
    levels.next();
    levels.restartFrom(0.4);
    EXPECT_DOUBLE_EQ(levels.next(), 0.4 + 2.0 / 4000);
    int more = 1;
    double level = 0;
    while ((level = levels.next()) != 2.0 && more < 10000) {
        EXPECT_LT(level, 2.0);
        ++more;
    }
    EXPECT_EQ(more + 1, 3200);
    for (const double pastTheEnd : {2.0, 2.5}) {
        iv::SegmentLevels again(0, 2, 40);
        again.restartFrom(pastTheEnd);
        EXPECT_EQ(again.next(), 2.0) << pastTheEnd;
    }
}
