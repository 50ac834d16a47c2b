// SPDX-License-Identifier: GPL-3.0-or-later
#include <QString>
#include <array>
#include <cmath>
#include <memory>

#include "iv/AddressScan.h"
#include "iv/RangeTables.h"
#include "iv/Regimes.h"
#include "shell/IvPanelController.h"
#include "shell/StartController.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

// The regimes a Start action can run, each from the panel's edits to the sweep it starts.
namespace tarvix::shell {

namespace {

// The picoammeter's integration time buttons, in the order the set-up tests them.
constexpr std::array<std::pair<const char*, const char*>, 6> kIntegrationTimes = {{
    {"RadioButton11", "CURR:NPLC 7"},
    {"RadioButton12", "CURR:NPLC 5"},
    {"RadioButton13", "CURR:NPLC 2"},
    {"RadioButton16", "CURR:NPLC 1"},
    {"RadioButton15", "CURR:NPLC 0.5"},
    {"RadioButton14", "CURR:NPLC 0.1"},
}};

}  // namespace

iv::SweepOptions StartController::readOptions() const {
    auto& controls = const_cast<StartController*>(this)->c();
    const IvState& state = form_.ivState();
    iv::SweepOptions options;
    options.address = state.sourceMeterAddress;
    options.compliance = state.compliance;
    options.realVoltage = controls.checked("CheckBox40");
    options.picoammeter = controls.checked("CheckBox38");
    for (const auto& [radio, command] : kIntegrationTimes) {
        if (controls.checked(QString::fromLatin1(radio))) {
            options.picoammeterNplc = QString::fromLatin1(command);
            break;
        }
    }
    options.timeDependence = !procedureSweep_ && controls.checked("CheckBox42");
    options.holdAround = !procedureSweep_ && controls.checked("CheckBox49");
    options.lcrUnderBias = !procedureSweep_ && controls.checked("CheckBox47");
    return options;
}

// Steps 1 to 4 of the voltage and manual regimes: limits, compliances and the plan, which
// the Start's checks have found usable.
bool StartController::prepareSweepLimits() {
    IvState& state = form_.ivState();
    return convertLimitPair("Edit4", state.currentMin, "Edit5", state.currentMax) &&
           panel_.convertCompliances() && panel_.buildVoltagePlan();
}

bool StartController::convertVoltageLimits() {
    IvState& state = form_.ivState();
    return convertLimitPair("Edit2", state.voltageMin, "Edit3", state.voltageMax);
}

// Converts two edits in order, stopping at the first error; the first value is kept when
// only the second fails, as the design's sequential conversions do.
bool StartController::convertLimitPair(const char* lowEdit, double& low, const char* highEdit,
                                       double& high) {
    const auto lowValue = text::parseDecimal(c().text(QString::fromLatin1(lowEdit)));
    if (!lowValue) {
        return false;
    }
    low = *lowValue;
    const auto highValue = text::parseDecimal(c().text(QString::fromLatin1(highEdit)));
    if (!highValue) {
        return false;
    }
    high = *highValue;
    return true;
}

bool StartController::voltageSweepRegime() {
    IvState& state = form_.ivState();
    if (!prepareSweepLimits()) {
        return false;
    }
    // The run keeps the plan it was started with: an edit typed while it runs (an emptied
    // step count is 0) must not reach the segments still to come.
    iv::SweepPlan plan = state.voltagePlan;
    if (procedureSweep_) {
        plan.repeatCount = 1;
    }
    double peak = 0;
    double firstLevel = 0;
    iv::IvSweep::peakAndFirstLevel(plan, *this, peak, firstLevel);
    c().setText("Edit3", text::generalText(peak));
    c().setText("Edit2", QStringLiteral("-") + text::generalText(peak));
    if (!convertVoltageLimits()) {
        return false;
    }
    iv::SweepOptions options = readOptions();
    options.firstLevel = firstLevel;
    options.range = iv::voltageRange(state.sourceMeterModel, peak).value_or(0.0);
    iv::IvSweep sweep(link_, form_.store(), state.segment, *this);
    sweep.runVoltageSweep(plan, options, problems_);
    return true;
}

bool StartController::resistanceRegime() {
    const double resistance = iv::measureResistance(link_, problems_);
    c().setText("Edit1", text::defaultReal(resistance));
    c().setText("Label1", QString::fromUtf8("[Ом]"));
    return true;
}

bool StartController::currentSweepRegime() {
    IvState& state = form_.ivState();
    if (!panel_.convertChartLimits() || !panel_.convertCompliances()) {
        return false;
    }
    iv::CurrentSweepSettings settings;
    settings.currentStart = state.currentMin;
    settings.currentEnd = state.currentMax;
    settings.voltageCompliance = state.voltageCompliance;
    const double peak = std::max(std::fabs(settings.currentStart), std::fabs(settings.currentEnd));
    settings.range = iv::currentRange(peak).value_or(0.0);
    iv::runCurrentSweep(link_, form_.store(), *this, settings, state.segment.compliance, problems_);
    return true;
}

bool StartController::manualRegime() {
    IvState& state = form_.ivState();
    if (!prepareSweepLimits()) {
        return false;
    }
    const iv::SweepPlan plan = state.voltagePlan;
    double peak = 0;
    double firstLevel = 0;
    iv::IvSweep::peakAndFirstLevel(plan, *this, peak, firstLevel);
    if (!convertVoltageLimits()) {
        return false;
    }
    const auto range = iv::voltageRange(state.sourceMeterModel, peak);
    if (!range) {
        return false;
    }
    iv::SweepOptions options = readOptions();
    options.firstLevel = firstLevel;
    options.address = iv::kScpiAddress;
    manual_ = std::make_unique<iv::ManualRegime>(link_, form_.store(), state.segment, *this);
    manual_->setUp(*range, options, problems_);
    iv::IvSweep sweep(link_, form_.store(), state.segment, *this);
    if (options.holdAround) {
        sweep.holdLoop(plan.start[1]);
    }
    if (options.lcrUnderBias) {
        sweep.lcrUnderBias(plan.start[1]);
    }
    state.segment.segmentIndex = 1;
    panel_.ScrollBar1Change();
    link_.throwDeferred();
    const double start = state.manualVoltage;
    sweep.runSegment(1, start, start + 1.0, plan.stepCount, options);
    manual_->finish(options, plan.start[1]);
    return true;
}

}  // namespace tarvix::shell
