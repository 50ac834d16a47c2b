// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "iv/SweepPlan.h"

using namespace tarvix::iv;

namespace {

PlanTexts currentTexts(const char* end1, const char* step) {
    PlanTexts texts;
    for (QString& segment : texts.segments) {
        segment = QStringLiteral("0");
    }
    texts.segments[1] = QString::fromLatin1(end1);
    texts.velocity = QString::fromLatin1(step);
    texts.stepCount = QStringLiteral("40");
    texts.stepCountMode = false;
    return texts;
}

}  // namespace

// The count divides the span by the step in amperes: 2.5E-5 / (10 x 0.000001) lies just above
// 2.5, so it rounds to 3, where dividing microamperes by 10 would give exactly 2.5 and then 2.
TEST(CurrentPlanVelocityMode, DividesTheSpanByTheStepInAmperes) {
    const PlanBuild build = buildCurrentPlan(currentTexts("2.5E-5", "10"));
    EXPECT_TRUE(build.plan.valid);
    EXPECT_EQ(build.stepCountText, QString("3"));
    EXPECT_EQ(buildCurrentPlan(currentTexts("1.5E-5", "10")).stepCountText, QString("2"));
}

// A step so small that the count would not fit an int is refused instead of overflowing.
TEST(VelocityMode, ACountBeyondTheIntRangeIsRefused) {
    PlanTexts texts = currentTexts("2", "1E-300");
    texts.repeatCount = QStringLiteral("1");
    const PlanBuild build = buildVoltagePlan(texts);
    EXPECT_FALSE(build.plan.valid);
    EXPECT_FALSE(build.stepCountText);
    EXPECT_FALSE(buildCurrentPlan(currentTexts("1", "1E-300")).plan.valid);
}
