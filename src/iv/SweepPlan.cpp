// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/SweepPlan.h"

#include <cmath>
#include <cstdlib>
#include <optional>

#include "text/DecimalParse.h"
#include "text/NumberText.h"

namespace tarvix::iv {

namespace {

struct Scale {
    double perStepUnit;  // step = span * perStepUnit / N (1e6: A to microamperes)
    double stepUnit;     // N = span / (step * stepUnit) (1e-6: microamperes to A)
    int velocityWidth;   // minimum width of the velocity text
    bool checkRepeat;
};

// The step counts an int can hold; a larger quotient is no usable plan.
constexpr double kLargestStepCount = 2147483647.0;

// Marks the plan invalid; the first reason is the one the operator is told.
void refuse(SweepPlan& plan, const QString& problem) {
    plan.valid = false;
    if (plan.problem.isEmpty()) {
        plan.problem = problem;
    }
}

std::optional<double> segmentValue(const PlanTexts& texts, SweepPlan& plan, int index) {
    const QString& entry = texts.segments[static_cast<size_t>(index)];
    const auto value = text::parseDecimal(entry);
    if (!value) {
        refuse(plan, QStringLiteral("The %1 of segment %2 (\"%3\") is not a number.")
                         .arg(index % 2 == 0 ? QStringLiteral("start") : QStringLiteral("end"))
                         .arg(index / 2 + 1)
                         .arg(entry));
    }
    return value;
}

void readSegments(const PlanTexts& texts, SweepPlan& plan) {
    for (int segment = 1; segment <= 8; ++segment) {
        const auto start = segmentValue(texts, plan, 2 * segment - 2);
        const auto end = segmentValue(texts, plan, 2 * segment - 1);
        plan.start[static_cast<size_t>(segment)] = start.value_or(0.0);
        plan.end[static_cast<size_t>(segment)] = end.value_or(0.0);
    }
}

void readStepFields(const PlanTexts& texts, SweepPlan& plan) {
    const auto velocity = text::parseDecimal(texts.velocity);
    const auto stepCount = text::parseInteger(texts.stepCount);
    if (!velocity) {
        refuse(plan,
               QStringLiteral("The sweep velocity (\"%1\") is not a number.").arg(texts.velocity));
    }
    if (!stepCount) {
        refuse(plan, QStringLiteral("The number of points (\"%1\") is not a whole number.")
                         .arg(texts.stepCount));
    }
    plan.velocity = velocity.value_or(0.0);
    plan.stepCount = stepCount.value_or(0);
}

// Every point of a segment must find a place in the live table.
void checkSegmentFits(SweepPlan& plan) {
    if (plan.valid && std::abs(static_cast<long long>(plan.stepCount)) > kMaxStepCount) {
        refuse(plan, QStringLiteral("%1 steps give %2 points a segment, more than the %3 a series "
                                    "keeps: use at most %4 steps.")
                         .arg(plan.stepCount)
                         .arg(std::abs(static_cast<long long>(plan.stepCount)) + 1)
                         .arg(kMaxStepCount + 1)
                         .arg(kMaxStepCount));
    }
}

PlanBuild build(const PlanTexts& texts, const Scale& scale) {
    PlanBuild result;
    SweepPlan& plan = result.plan;
    plan.valid = true;
    if (scale.checkRepeat) {
        const auto repeat = text::parseInteger(texts.repeatCount);
        plan.repeatCount = repeat.value_or(0);
        if (!repeat || *repeat < 1) {
            refuse(plan, QStringLiteral("The repeat count (\"%1\") is not a whole number of at "
                                        "least 1.")
                             .arg(texts.repeatCount));
        }
    }
    readSegments(texts, plan);
    readStepFields(texts, plan);
    const double span = plan.end[1] - plan.start[1];

    if (texts.stepCountMode && plan.valid) {
        // A negative count would run as its absolute value: refused as 0 is, so that the
        // field means what it shows.
        if (plan.stepCount > 0) {
            plan.velocity = span * scale.perStepUnit / plan.stepCount;
        } else if (plan.stepCount == 0) {
            refuse(plan, QStringLiteral("The number of points is 0: a segment needs a step."));
        } else {
            refuse(plan, QStringLiteral("The number of points (%1) is below 0: a segment needs "
                                        "at least one step.")
                             .arg(plan.stepCount));
        }
        result.velocityText = text::fixedText(plan.velocity, scale.velocityWidth, 6);
    } else if (!texts.stepCountMode && plan.valid) {
        // A zero velocity, or one so large that the count rounds to 0, would make every
        // segment divide by zero; one so small that the count overflows is no plan either.
        const double steps = span / (plan.velocity * scale.stepUnit);
        if (plan.velocity == 0 || !(std::fabs(steps) <= kLargestStepCount)) {
            refuse(plan, QStringLiteral("The sweep velocity gives no usable number of points "
                                        "over segment 1."));
        } else {
            // A velocity against segment 1's direction still gives that many steps; the
            // count shown is never one the step-count mode would refuse.
            plan.stepCount = static_cast<int>(text::roundHalfEven(std::fabs(steps)));
            result.stepCountText = QString::number(plan.stepCount);
            if (plan.stepCount == 0) {
                refuse(plan, QStringLiteral("The sweep velocity is larger than segment 1: no "
                                            "whole step fits."));
            }
        }
    }
    checkSegmentFits(plan);
    return result;
}

}  // namespace

PlanBuild buildVoltagePlan(const PlanTexts& texts) {
    return build(texts, {1.0, 1.0, 3, true});
}

PlanBuild buildCurrentPlan(const PlanTexts& texts) {
    return build(texts, {1e6, 0.000001, 4, false});
}

QString planStatusText(bool valid) {
    return valid ? QStringLiteral("ok!") : QStringLiteral("error!");
}

}  // namespace tarvix::iv
