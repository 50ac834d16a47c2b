// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <memory>
#include <optional>

#include "iv/CheckedBus.h"
#include "iv/IvHost.h"
#include "iv/IvSweep.h"
#include "shell/StartChecks.h"
#include "shell/TForm1.h"

namespace tarvix::iv {
class ManualRegime;
}

namespace tarvix::shell {

class IvPanelController;

// The Start action and everything that runs inside it: the address scan, the regimes, the
// common end; Stop; the 2636A test and the hold release.
class StartController : public PanelController, public iv::IvHost {
  public:
    StartController(TForm1& form, IvPanelController& panel);
    ~StartController() override;
    void wire() override;

    // FormCreate's board check: "NO GRIB" when there is none. True when there is one.
    bool checkBoard();

    void Button1Click();

    // How a sweep run for a procedure ended: the slot its series went to (0: none), and whether
    // it was refused before it began or which fault ended it.
    struct ProcedureSweep {
        int slot = 0;
        bool refused = false;
        QString fault;  // the fault that ended it; empty when none did
    };
    // Start as the I-V panel's Start runs it, under the bus a procedure already holds: the
    // voltage sweep with its model, segments, steps and compliance, one repetition, without
    // the holds, the LCR sweep under bias and the time dependence (they wait for a person or
    // take the time table's few columns).
    ProcedureSweep runProcedureSweep();
    void Button22Click();
    void Button20Click();
    void Button33Click();

    // IvHost
    bool stopRequested() const override;
    void requestStop() override;
    float manualVoltage() const override;
    bool manualMode() const override;
    bool segmentEnabled(int segment) const override;
    void drawChart() override;
    void letEventsRun() override;
    void sleepMs(int milliseconds) override;
    bool takeHoldRelease() override;
    void runLcrSweep() override;
    void runTimeDependence() override;
    void reportProgress(const status::Progress& progress) override;

    // Performs the click of "7600 Start"; the LCR panel sets it.
    void setLcrSweep(std::function<void()> sweep) { lcrSweep_ = std::move(sweep); }

  private:
    bool runHead();
    bool identifySourceMeter();
    void scanAddresses();
    bool makeRoomForTheRun();
    void commitBeforeMeasuring();
    bool runStartAction();  // false when refused before its regime ran
    void runRegime();
    bool runCheckedRegime();
    void refuse(const QString& message);
    void showProblems();
    bool voltageSweepRegime();
    bool resistanceRegime();
    bool currentSweepRegime();
    bool manualRegime();
    bool prepareSweepLimits();
    bool convertVoltageLimits();
    bool convertLimitPair(const char* lowEdit, double& low, const char* highEdit, double& high);
    iv::SweepOptions readOptions() const;
    void endAction(bool reachedCommonEnd);
    void reportEnd(bool reachedCommonEnd);
    bool recordManualPoint();

    IvPanelController& panel_;
    StartChecks checks_;
    iv::CheckedBus link_;
    QStringList problems_;  // what the running action has to tell, shown once at its end
    QString fault_;         // the fault that ended the running action, if one did
    std::unique_ptr<iv::ManualRegime> manual_;
    std::function<void()> lcrSweep_;
    bool procedureSweep_ = false;  // the running action is a procedure's sweep
};

}  // namespace tarvix::shell
