#include "iv/SweepPlan.h"

#include <cmath>

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

void readSegments(const PlanTexts& texts, SweepPlan& plan) {
    for (int segment = 1; segment <= 8; ++segment) {
        const auto start = text::parseDecimal(texts.segments[static_cast<size_t>(2 * segment - 2)]);
        const auto end = text::parseDecimal(texts.segments[static_cast<size_t>(2 * segment - 1)]);
        plan.valid = plan.valid && start && end;
        plan.start[static_cast<size_t>(segment)] = start.value_or(0.0);
        plan.end[static_cast<size_t>(segment)] = end.value_or(0.0);
    }
}

PlanBuild build(const PlanTexts& texts, const Scale& scale) {
    PlanBuild result;
    SweepPlan& plan = result.plan;
    plan.valid = true;
    if (scale.checkRepeat) {
        const auto repeat = text::parseInteger(texts.repeatCount);
        plan.repeatCount = repeat.value_or(0);
        plan.valid = repeat && *repeat >= 1;
    }
    readSegments(texts, plan);
    const auto velocity = text::parseDecimal(texts.velocity);
    const auto stepCount = text::parseInteger(texts.stepCount);
    plan.valid = plan.valid && velocity && stepCount;
    plan.velocity = velocity.value_or(0.0);
    plan.stepCount = stepCount.value_or(0);
    const double span = plan.end[1] - plan.start[1];

    if (texts.stepCountMode && plan.valid) {
        if (plan.stepCount != 0) {
            plan.velocity = span * scale.perStepUnit / plan.stepCount;
        } else {
            plan.valid = false;
        }
        result.velocityText = text::fixedText(plan.velocity, scale.velocityWidth, 6);
    } else if (!texts.stepCountMode && plan.valid) {
        // A zero velocity, or one so large that the count rounds to 0, would make every
        // segment divide by zero; one so small that the count overflows is no plan either.
        const double steps = span / (plan.velocity * scale.stepUnit);
        if (plan.velocity == 0 || !(std::fabs(steps) <= kLargestStepCount)) {
            plan.valid = false;
        } else {
            plan.stepCount = static_cast<int>(text::roundHalfEven(steps));
            result.stepCountText = QString::number(plan.stepCount);
            plan.valid = plan.stepCount != 0;
        }
    }
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
