#include <gtest/gtest.h>

#include "iv/IvSweep.h"
#include "iv/RangeTables.h"
#include "iv/SweepPlan.h"

using namespace tarvix::iv;

namespace {

PlanTexts defaultVoltageTexts() {
    PlanTexts texts;
    const char* segments[16] = {"0", "2", "2", "0", "0", "-2", "-2", "0",
                                "0", "2", "2", "0", "0", "-2", "-2", "0"};
    for (int i = 0; i < 16; ++i) {
        texts.segments[static_cast<size_t>(i)] = segments[i];
    }
    texts.velocity = "0.1";
    texts.stepCount = "40";
    texts.repeatCount = "1";
    return texts;
}

}  // namespace

TEST(VoltagePlan, StepCountModeWritesTheVelocity) {
    const PlanBuild build = buildVoltagePlan(defaultVoltageTexts());
    EXPECT_TRUE(build.plan.valid);
    EXPECT_EQ(build.velocityText, QString("0.050000"));
    EXPECT_FALSE(build.stepCountText);
    EXPECT_EQ(build.plan.stepCount, 40);
    EXPECT_DOUBLE_EQ(build.plan.end[3], -2.0);
}

TEST(VoltagePlan, ZeroStepsIsAnErrorAndLeavesTheVelocityValue) {
    PlanTexts texts = defaultVoltageTexts();
    texts.stepCount = "0";
    texts.velocity = "0.050000";
    const PlanBuild build = buildVoltagePlan(texts);
    EXPECT_FALSE(build.plan.valid);
    EXPECT_EQ(build.velocityText, QString("0.050000"));
}

TEST(VoltagePlan, InvalidEntriesMakeThePlanInvalid) {
    for (const char* bad : {"1,5", "", "x"}) {
        PlanTexts texts = defaultVoltageTexts();
        texts.segments[9] = bad;
        EXPECT_FALSE(buildVoltagePlan(texts).plan.valid) << bad;
    }
    PlanTexts texts = defaultVoltageTexts();
    texts.repeatCount = "0";
    EXPECT_FALSE(buildVoltagePlan(texts).plan.valid);
    EXPECT_EQ(planStatusText(false), "error!");
    EXPECT_EQ(planStatusText(true), "ok!");
}

TEST(VoltagePlan, VelocityModeRoundsTheStepCount) {
    PlanTexts texts = defaultVoltageTexts();
    texts.stepCountMode = false;
    texts.velocity = "0.3";
    const PlanBuild build = buildVoltagePlan(texts);
    EXPECT_TRUE(build.plan.valid);
    EXPECT_EQ(build.stepCountText, QString("7"));
}

TEST(VoltagePlan, VelocitiesThatGiveNoStepsAreRefused) {
    PlanTexts texts = defaultVoltageTexts();
    texts.stepCountMode = false;
    texts.velocity = "0";
    EXPECT_FALSE(buildVoltagePlan(texts).plan.valid);
    texts.velocity = "5";  // 2 V / 5 rounds to 0 steps
    const PlanBuild build = buildVoltagePlan(texts);
    EXPECT_FALSE(build.plan.valid);
    EXPECT_EQ(build.stepCountText, QString("0"));
}

TEST(CurrentPlan, UsesMicroampereStepsAndRefusesZeroSteps) {
    PlanTexts texts;
    const char* segments[16] = {"0", "1.5E-5",  "1.5E-5",  "0", "0", "-1.5E-05", "-1.5E-05", "0",
                                "0", "1.5E-05", "1.5E-05", "0", "0", "-1.5E-05", "-1.5E-05", "0"};
    for (int i = 0; i < 16; ++i) {
        texts.segments[static_cast<size_t>(i)] = segments[i];
    }
    texts.velocity = "10";
    texts.stepCount = "40";
    PlanBuild build = buildCurrentPlan(texts);
    EXPECT_TRUE(build.plan.valid);
    EXPECT_EQ(build.velocityText, QString("0.375000"));
    texts.stepCount = "0";
    EXPECT_FALSE(buildCurrentPlan(texts).plan.valid);
}

TEST(RangeTables, VoltageRangesByModel) {
    EXPECT_EQ(voltageRange(kModel2400, 0.2), 0.2);
    EXPECT_EQ(voltageRange(kModel2400, 2.0), 2.0);
    EXPECT_EQ(voltageRange(kModel2400, 2.01), 20.0);
    EXPECT_EQ(voltageRange(kModel2400, 150), 200.0);
    EXPECT_EQ(voltageRange(kModel2410, 150), 1000.0);
    EXPECT_FALSE(voltageRange(kModel2400, 250));
    EXPECT_EQ(voltageRange(kModel2410, 1000), 1000.0);
    EXPECT_FALSE(voltageRange(kModel2410, 1000.5));
    EXPECT_FALSE(voltageRange(kModel2400, -1000));
    EXPECT_FALSE(voltageRange(kModel2636, 1));
}

TEST(RangeTables, CurrentRanges) {
    EXPECT_EQ(currentRange(1.5e-5), 1e-4);
    EXPECT_EQ(currentRange(1e-6), 1e-6);
    EXPECT_EQ(currentRange(0.015), 0.02);
    EXPECT_FALSE(currentRange(1.5));
}

TEST(SegmentLabel, ElapsedTimeDropsWholeHours) {
    const double second = 1.0 / 86400.0;
    EXPECT_EQ(segmentElapsedMs(0.5, 0.5 + 1.5 * second), 1500);
    EXPECT_EQ(segmentElapsedMs(0.5, 0.5 + 3601 * second), 1000);
}
