// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StartChecks.h"

#include <algorithm>
#include <cmath>

#include "iv/IvSweep.h"
#include "iv/RangeTables.h"
#include "shell/IvPanelController.h"
#include "shell/StartFieldCheck.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

namespace tarvix::shell {

namespace {

const char* kComplianceRole = "compliance current";
const char* kVoltageComplianceRole = "voltage compliance";

}  // namespace

StartChecks::StartChecks(TForm1& form, IvPanelController& panel, const iv::IvHost& host)
    : form_(form), panel_(panel), host_(host) {}

QString StartChecks::storeFullMessage(int room, int wanted) {
    return QStringLiteral(
               "The store holds at most %1 series and can take %2 more; this "
               "measurement needs %3. Save the series and press \"Delete\" before "
               "measuring again.")
        .arg(series::SeriesStore::kMaxSeries)
        .arg(room)
        .arg(wanted);
}

int StartChecks::storeRoom(const series::SeriesStore& store) {
    return std::max(0, series::SeriesStore::kMaxSeries - store.seriesCount);
}

QString StartChecks::fieldProblem() {
    const Controls& controls = form_.controls();
    if (controls.checked("RadioButton1")) {
        return {};
    }
    if (controls.checked("RadioButton3")) {
        return firstBadField(controls, {{"Edit4", "start current (lower current limit)", false},
                                        {"Edit5", "end current (upper current limit)", false},
                                        {"Edit2", "lower voltage limit", false},
                                        {"Edit3", "upper voltage limit", false},
                                        {"Edit6", kComplianceRole, false},
                                        {"Edit7", kVoltageComplianceRole, true}});
    }
    QString bad = firstBadField(controls, {{"Edit4", "lower current limit", false},
                                           {"Edit5", "upper current limit", false},
                                           {"Edit6", kComplianceRole, true},
                                           {"Edit7", kVoltageComplianceRole, false}});
    // The manual regime takes the bar's voltage from the voltage limits as they stand.
    if (bad.isEmpty() && controls.checked("RadioButton75")) {
        bad = firstBadField(controls, {{"Edit2", "lower voltage limit", false},
                                       {"Edit3", "upper voltage limit", false}});
    }
    if (!bad.isEmpty() || panel_.buildVoltagePlan()) {
        return bad;
    }
    return form_.ivState().voltagePlan.problem + QStringLiteral(" Nothing was sent.");
}

QString StartChecks::runProblem() {
    const Controls& controls = form_.controls();
    if (controls.checked("RadioButton1")) {
        return {};
    }
    if (controls.checked("RadioButton3")) {
        return currentSweepProblem();
    }
    return sweepProblem();
}

QString StartChecks::currentSweepProblem() {
    if (!panel_.convertChartLimits() || !panel_.convertCompliances()) {
        return fieldProblem();
    }
    const IvState& state = form_.ivState();
    const double peak = std::max(std::fabs(state.currentMin), std::fabs(state.currentMax));
    if (!iv::currentRange(peak)) {
        return QStringLiteral(
                   "The peak current %1 A is above 1 A, the largest range of the "
                   "current sweep.")
            .arg(text::generalTextForDisplay(peak));
    }
    return {};
}

// The voltage sweep and the manual regime.
QString StartChecks::sweepProblem() {
    IvState& state = form_.ivState();
    const Controls& controls = form_.controls();
    const auto low = text::parseDecimal(controls.text("Edit4"));
    const auto high = text::parseDecimal(controls.text("Edit5"));
    if (!low || !high || !panel_.convertCompliances() || !panel_.buildVoltagePlan()) {
        return fieldProblem();
    }
    if (state.voltageMax - state.voltageMin == 0 || *high - *low == 0) {
        return QStringLiteral(
            "The chart's lower and upper limits are equal: give the chart a "
            "span before measuring.");
    }
    const bool manual = controls.checked("RadioButton75");
    const int model = state.sourceMeterModel;
    if (manual && model == iv::kModel2636) {
        return QStringLiteral("The manual regime drives a 2400 or 2410 only.");
    }
    double peak = 0;
    double firstLevel = 0;
    iv::IvSweep::peakAndFirstLevel(state.voltagePlan, host_, peak, firstLevel);
    if (peak < 0) {
        return QStringLiteral("No segment of the sweep table is enabled: tick at least one.");
    }
    if (model != iv::kModel2636 && !iv::voltageRange(model, peak)) {
        return QStringLiteral("The peak voltage %1 V is beyond the ranges of the %2.")
            .arg(text::generalTextForDisplay(peak))
            .arg(model);
    }
    // Every repetition of a sweep is committed into a slot of its own.
    const int room = storeRoom(form_.store());
    if (!manual && state.voltagePlan.repeatCount > room) {
        return storeFullMessage(room, state.voltagePlan.repeatCount);
    }
    return {};
}

}  // namespace tarvix::shell
