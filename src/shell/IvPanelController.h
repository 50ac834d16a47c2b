// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

#include "shell/TForm1.h"

namespace tarvix::shell {

// The I-V panel's editing handlers: the sweep plan tables, the chart limits, the two voltage
// bars, the regime and model groups and the chart options.
class IvPanelController : public PanelController {
  public:
    explicit IvPanelController(TForm1& form);
    void wire() override;

    // FormCreate's last step: limits, bars, first chart, regime controls, both plans.
    void finishStartup();

    bool buildVoltagePlan();
    bool buildCurrentPlan();
    // Converts Edit4, Edit5, Edit2, Edit3 in that order, stopping at the first error.
    bool convertChartLimits();
    // Converts Edit6 (compliance) and Edit7 (voltage compliance), stopping at the first error.
    bool convertCompliances();
    void applyRegimeVisibility();

    void ScrollBar1Change();
    void ScrollBar2Change();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton75Click();
    void RadioButton88Click();
    void RadioButton89Click();
    void RadioButton90Click();
    void chartLimitChange(const QString& edit);

    // The manual regime records a point on every move of ScrollBar1 while Start runs; the
    // Start action provides it. It returns false when the handler must end without a redraw.
    void setManualPointRecorder(std::function<bool()> recorder) {
        manualPoint_ = std::move(recorder);
    }

  private:
    void wirePlanEdits();
    void wireEnableBoxes();
    void wireRegimeAndModel();
    void linkEdit(const char* from, const char* to);
    void showPlanStatus(const char* label, bool valid);
    void modelChosen(bool fullRegimeChoice);

    std::function<bool()> manualPoint_;
};

}  // namespace tarvix::shell
