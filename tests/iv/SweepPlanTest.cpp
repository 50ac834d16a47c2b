// SPDX-License-Identifier: GPL-3.0-or-later
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
    for (const char* velocity : {"0.3", "-0.3"}) {  // either direction gives 7 steps
        texts.velocity = velocity;
        const PlanBuild build = buildVoltagePlan(texts);
        EXPECT_TRUE(build.plan.valid);
        EXPECT_EQ(build.stepCountText, QString("7"));
    }
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

// A plan whose segment would not fit the live table is refused, from both sides of the limit,
// in either mode; every refusal says why, naming the field at fault.
TEST(VoltagePlan, RefusalsSayWhy) {
    struct Case {
        const char* field;
        const char* text;
        bool velocityMode;
        bool valid;
        const char* problem;
    };
    const Case cases[] = {
        {"steps", "9999", false, true, ""},
        {"steps", "10000", false, false, "10000 steps give 10001 points"},
        {"steps", "1", false, true, ""},
        {"steps", "-1", false, false, "The number of points (-1) is below 0"},
        {"steps", "-5", false, false, "The number of points (-5) is below 0"},
        {"steps", "-10000", false, false, "The number of points (-10000) is below 0"},
        {"velocity", "0.00020002", true, true, ""},  // 2 V / 9999 steps
        {"velocity", "0.0002", true, false, "10000 steps give 10001 points"},
        {"steps", "0", false, false, "The number of points is 0"},
        {"steps", "4O", false, false, "The number of points (\"4O\")"},
        {"velocity", "0", true, false, "The sweep velocity gives no usable"},
        {"end 5", "2O", false, false, "The end of segment 5 (\"2O\")"},
        {"repeat", "0", false, false, "The repeat count (\"0\")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.text);
        PlanTexts texts = defaultVoltageTexts();
        texts.stepCountMode = !c.velocityMode;
        const QString text = QString::fromLatin1(c.text);
        if (std::string(c.field) == "steps") {
            texts.stepCount = text;
        } else if (std::string(c.field) == "velocity") {
            texts.velocity = text;
        } else if (std::string(c.field) == "repeat") {
            texts.repeatCount = text;
        } else {
            texts.segments[9] = text;
        }
        const SweepPlan plan = buildVoltagePlan(texts).plan;
        EXPECT_EQ(plan.valid, c.valid);
        EXPECT_TRUE(plan.problem.contains(QString::fromLatin1(c.problem)))
            << plan.problem.toStdString();
        EXPECT_EQ(plan.problem.isEmpty(), c.valid);
    }
}
