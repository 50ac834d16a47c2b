// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>
#include <optional>

namespace tarvix::iv {

// The eight segments of a sweep, one step count shared by all of them and a repeat count.
// Index 1..8; index 0 is unused.
struct SweepPlan {
    std::array<double, 9> start{};
    std::array<double, 9> end{};
    int stepCount = 0;
    double velocity = 0;  // the step of segment 1 per point
    int repeatCount = 0;
    bool valid = false;
    QString problem;  // why the plan is not valid, for the operator (the first reason found)
};

// A segment of N steps has N + 1 points, and a series keeps at most 10000 a segment.
constexpr int kMaxStepCount = 9999;

// The texts of a plan table as the operator typed them. `segments` holds start 1, end 1,
// start 2, end 2, ... start 8, end 8.
struct PlanTexts {
    std::array<QString, 16> segments;
    QString velocity;
    QString stepCount;
    QString repeatCount;  // unused by the current plan
    bool stepCountMode = true;
};

struct PlanBuild {
    SweepPlan plan;
    std::optional<QString> velocityText;   // what the velocity edit must now show
    std::optional<QString> stepCountText;  // what the step-count edit must now show
};

// Voltage plan: V per step in the velocity field.
PlanBuild buildVoltagePlan(const PlanTexts& texts);
// Current plan: the segments in A, the step field in microamperes per step; no repeat count.
PlanBuild buildCurrentPlan(const PlanTexts& texts);

QString planStatusText(bool valid);  // "ok!" or "error!"

}  // namespace tarvix::iv
