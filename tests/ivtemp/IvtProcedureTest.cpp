// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ivtemp/IvtProcedure.h"

using namespace tarvix::ivtemp;
using Step = IvtProcedure::Step;

namespace {

// One event fed to the procedure: a reading (kelvin, or nothing: failed) or, with `sweep`,
// the end of the sweep asked for, with the reading after it.
struct Event {
    std::optional<double> kelvin;
    Step expected;
    bool sweep = false;
};

struct Case {
    const char* name;
    IvtSettings settings;
    std::vector<Event> events;
    int measured;
    QStringList skipped;
};

IvtSettings range(double from, double to, double step, double tolerance) {
    return {from, to, step, tolerance, 1.0};
}

}  // namespace

TEST(IvtProcedure, RunsTheTargetsAsTheReadingsCome) {
    const Case cases[] = {
        {"warming, every target",
         range(100, 120, 10, 0.5),
         {{98.0, Step::Wait},
          {99.6, Step::Sweep},
          {99.9, Step::Wait, true},
          {109.5, Step::Sweep},  // the edge of the tolerance counts
          {110.2, Step::Wait, true},
          {120.5, Step::Sweep},
          {120.9, Step::Finished, true}},
         3,
         {}},
        {"cooling, either direction",
         range(300, 280, 10, 1),
         {{301.0, Step::Sweep},
          {299.5, Step::Wait, true},
          {290.2, Step::Sweep},
          {289.0, Step::Wait, true},
          {281.0, Step::Sweep},
          {280.0, Step::Finished, true}},
         3,
         {}},
        {"a target passed during a sweep",
         range(130, 150, 10, 0.5),
         {{130.0, Step::Sweep},
          {140.6, Step::Wait, true},
          {149.8, Step::Sweep},
          {150.2, Step::Finished, true}},
         2,
         {"skipped 140 K: the sample warmed past it during the sweep at 130 K"}},
        {"a target passed while waiting",
         range(100, 110, 10, 0.5),
         {{99.0, Step::Wait}, {100.6, Step::Wait}, {110.0, Step::Sweep}},
         0,
         {"skipped 100 K: the sample was past it, at 100.6 K, before it could be measured"}},
        {"three failed readings in a row end the run, two do not",
         range(100, 110, 10, 0.5),
         {{std::nullopt, Step::Wait},
          {std::nullopt, Step::Wait},
          {95.0, Step::Wait},
          {std::nullopt, Step::Wait},
          {std::nullopt, Step::Wait},
          {std::nullopt, Step::Failed}},
         0,
         {}},
        {"a failed reading after a sweep counts",
         range(100, 110, 10, 0.5),
         {{100.0, Step::Sweep},
          {std::nullopt, Step::Wait, true},
          {std::nullopt, Step::Wait},
          {std::nullopt, Step::Failed}},
         1,
         {}},
        {"the last target passed during a sweep finishes the run",
         range(100, 110, 10, 0.5),
         {{100.0, Step::Sweep}, {111.0, Step::Finished, true}},
         1,
         {"skipped 110 K: the sample warmed past it during the sweep at 100 K"}},
    };
    for (const Case& c : cases) {
        IvtProcedure procedure(c.settings);
        double seconds = 0;
        double before = 0;
        for (const Event& event : c.events) {
            seconds += 1;
            const Step step = event.sweep ? procedure.sweepDone(before, seconds, event.kelvin)
                                          : procedure.reading(seconds, event.kelvin);
            EXPECT_EQ(step, event.expected) << c.name << " at " << seconds;
            before = event.kelvin.value_or(0);
        }
        EXPECT_EQ(static_cast<int>(procedure.measured().size()), c.measured) << c.name;
        EXPECT_EQ(procedure.skipped(), c.skipped) << c.name;
    }
}

TEST(IvtProcedure, StatusLineSaysWhereTheRunIs) {
    IvtProcedure procedure(range(100, 300, 10, 0.5));
    // Warming 9.6 K/min: 0.16 K a second; the first reading is past 100 to 130 K.
    procedure.reading(100.0, 137.8 - 0.16 * 2);
    EXPECT_EQ(procedure.targetIndex(), 4);
    EXPECT_EQ(procedure.skipped().size(), 4);
    procedure.reading(101.0, 137.8 - 0.16);
    procedure.reading(102.0, 137.8);
    EXPECT_NEAR(*procedure.ratePerMinute(), 9.6, 1e-9);
    EXPECT_EQ(procedure.statusText(),
              "target 5 of 21: 140.0 K, sample at 137.8 K, warming 9.6 K/min, about 0:13 to go");
    IvtProcedure cooling(range(300, 100, 10, 0.5));
    cooling.reading(0.0, 305.0);
    EXPECT_EQ(cooling.statusText(), "target 1 of 21: 300.0 K, sample at 305.0 K");
    cooling.reading(60.0, 305.0);
    EXPECT_EQ(cooling.statusText(), "target 1 of 21: 300.0 K, sample at 305.0 K, steady");
    cooling.reading(120.0, 307.0);  // moving away: no time to go
    EXPECT_EQ(cooling.statusText(),
              "target 1 of 21: 300.0 K, sample at 307.0 K, warming 1.0 K/min");
    EXPECT_EQ(cooling.failureText(),
              "I-V versus temperature was ended: the thermocouple could "
              "not be read 3 times in a row.");
}

TEST(IvtSettings, TargetsAndTheirBounds) {
    EXPECT_EQ(targetsOf(range(100, 300, 10, 0.5)).size(), 21u);
    EXPECT_EQ(targetsOf(range(300, 100, -10, 0.5)).back(), 100.0);
    EXPECT_EQ(targetsOf(range(100, 125, 10, 0.5)), (std::vector<double>{100, 110, 120}));
    EXPECT_EQ(targetsOf(range(77, 77, 5, 1)), std::vector<double>{77});
    EXPECT_EQ(targetsOf(range(0.3, 0.9, 0.1, 0.01)).size(), 7u);
    const struct {
        IvtSettings settings;
        const char* problem;
    } cases[] = {
        {range(100, 300, 10, 0.5), ""},
        {range(0, 300, 10, 0.5), "The temperatures \"from\" and \"to\" must be above 0 K."},
        {range(100, 300, 0, 0.5), "The temperature step must be a number other than 0."},
        {range(1, 150, 1, 0.4), ""},  // 150 targets
        {range(1, 151, 1, 0.4), "At most 150 target temperatures: take a larger step."},
        {range(100, 300, 10, 5), "The tolerance must be above 0 K and below half the step (5 K)."},
        {range(100, 300, 10, 0), "The tolerance must be above 0 K and below half the step (5 K)."},
        {{100, 300, 10, 0.5, 0.005}, "The reading period must be from 0.01 s to 3600 s."},
        {{100, 300, 10, 0.5, 3601}, "The reading period must be from 0.01 s to 3600 s."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settingsProblem(c.settings), QString::fromUtf8(c.problem)) << c.problem;
    }
}
