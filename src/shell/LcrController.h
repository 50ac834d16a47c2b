// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <memory>

#include "lcr/FrequencyChart.h"
#include "lcr/FrequencySweeper.h"
#include "lcr/FrequencyView.h"
#include "lcr/LcrHost.h"
#include "lcr/SweepSettings.h"
#include "shell/TForm1.h"

namespace tarvix::lcr {
class LcrPanel;
}  // namespace tarvix::lcr
namespace tarvix::journal {
class LcrJournal;
}  // namespace tarvix::journal

namespace tarvix::shell {

class ChartPictureMenu;

// The LCR panel (Panel6): owns the frequency sweep and its chart, and lends them the window:
// the message boxes, Edit59, PaintBox2 and the pending events.
class LcrController : public PanelController, public lcr::LcrHost {
  public:
    explicit LcrController(TForm1& form);
    ~LcrController() override;
    void wire() override;
    // Start-up: bias mode OFF, the labels of the scroll bars, the test curve, and the sweep the
    // I-V sweep runs under bias.
    void formCreate() override;
    // Closing with the external bias on switches it off, checked.
    void formClose() override;
    // The journal is open: every sweep from now on is kept in it as it is measured, and the
    // sweep an earlier session left unsaved comes back into the panel. Returns what the
    // operator is to be told of it (empty: nothing came back).
    QString journalOpened();

    const lcr::LcrPanel& panel() const { return *panel_; }
    lcr::FreqSweep& sweep();
    // The sweep, filled from the database with measurement `id`, measured on `measured`, shown
    // as at the end of that sweep: Panel6 with its chart and last data; the export then
    // writes it.
    void showPastSweep(qint64 id, const QDate& measured);

    // "7600 Start" (Button21 "Start 7600" performs it too): the sweep, once the bus is free.
    void Button32Click();
    // "EXT OFF" and "EXT ON".
    void Button34Click();
    void Button35Click();
    // The mode selector's "7600": Panel6 alone, with its chart.
    void RadioButton60Click();
    // RadioButton61..64Click, RadioButton65..68Click, RadioButton69..71Click, by button number.
    void fmaxPresetClick(int button);
    void triggerDelayClick(int button);
    void biasModeClick(int button);
    void ScrollBar3Change();
    void ScrollBar4Change();
    void ScrollBar5Change();
    void ScrollBar6Change();
    void ScrollBar7Change();
    void ScrollBar8Change();
    void Panel6Click();
    // RadioButton55..57Click and CheckBox43Click: select the view again and draw it.
    void viewClick();
    // "X Axis -Log X": draws the same selection on the other axis.
    void CheckBox46Click();

    // File -> "Export LCR sweep (CSV)...": 0 or the runtime's file-error code.
    int exportTidySweep(const QString& path);

    // Everything a sweep takes from Panel6's controls.
    lcr::SweepSettings settingsFromPanel6() const;

    // LcrHost
    void showMessage(const QString& text) override;
    void processEvents() override;
    void showLastData(const QString& text) override;
    void showChart(const QImage& chart) override;
    bool endRequested() const override;
    bool stopRequested() const override;
    void reportProgress(const status::Progress& progress) override;

  private:
    // The sweep itself, for Button32 and for the I-V Start that holds the bus.
    void runSweep();
    // The panel's chart, last data and export take the sweep of `measured` in the tables.
    void takeSweepOf(const QDate& measured);
    void showFailure(const QString& message);
    void wireButtons();
    void wireRadioRange(int first, int last, void (LcrController::*handler)(int));
    void wireScrollBars();
    void wireView();
    int scrollPosition(const char* name) const;
    bool isChecked(const QString& name) const;
    lcr::FrequencyView chosenView() const;
    lcr::ChartOptions chartOptions() const;
    int checkedPanel8Delay() const;

    std::unique_ptr<lcr::LcrPanel> panel_;
    std::unique_ptr<ChartPictureMenu> pictures_;  // PaintBox2's context menu
    std::unique_ptr<journal::LcrJournal> journal_;
    lcr::SweepReport runStoppableSweep(const lcr::SweepSettings& settings);
    bool sweepRunning_ = false;
    bool sweepMeasured_ = false;
    QDate sweepDate_;
};

}  // namespace tarvix::shell
