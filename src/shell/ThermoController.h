// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QTimer>
#include <memory>

#include "shell/TForm1.h"
#include "thermo/TempFile.h"
#include "thermo/ThermoHost.h"

namespace tarvix::thermo {
class ThermoPanel;
struct ThermoRecord;
}  // namespace tarvix::thermo

namespace tarvix::shell {

// The four-probe panel (Panel4): owns the resistance-versus-temperature record and the panel's
// behaviour, and lends them the window: its controls, Timer1, the shared stop flag, the chart
// area and the dialogs.
class ThermoController : public PanelController, public thermo::ThermoHost {
  public:
    explicit ThermoController(TForm1& form);
    ~ThermoController() override;
    void wire() override;
    // Start-up: Timer1 off with the period of ScrollBar9; the four-probe Stop disabled.
    void formCreate() override;
    // Closing the window ends whatever the panel runs, so the source unit is not left driving
    // current through the sample after the program has gone.
    void formClose() override;
    void closeRequested() override;

    // "Close": back to the I-V panel; a running acquisition goes on.
    void Button25Click();
    // UpDown1 writes its position into Edit53, and a number typed there moves it.
    void UpDown1Change(int position);
    void Edit53Change();
    // File -> "Export four-probe record (CSV)...": 0 or the runtime's file-error code.
    int exportTidyRecord(const QString& path);
    thermo::ThermoRecord& record() { return *record_; }
    // Asks before `action` drops a record that was never saved; true when there is none or
    // the operator agreed.
    bool mayDropUnsavedRecord(const QString& action);
    // The record, filled from the database by a run of `kind` on `measured`, shown as that
    // run left it: the four-probe panel with its read-outs and chart; the saves and the
    // export then write it as they would have at the end of that run.
    void showPastRecord(thermo::ThermoRunKind kind, const QDate& measured);
    // The same without changing the window's mode: a record the journal brought back.
    void showRecoveredRecord(thermo::ThermoRunKind kind, const QDate& measured);

    // ThermoHost
    QString text(QStringView control) const override;
    bool isChecked(QStringView control) const override;
    void setText(QStringView control, const QString& text) override;
    void setEnabled(QStringView control, bool enabled) override;
    void startTimer() override;
    void stopTimer() override;
    void setTimerInterval(int milliseconds) override;
    bool stopRequested() const override;
    void setStopRequested(bool requested) override;
    void processEvents() override;
    void sleepMilliseconds(int milliseconds) override;
    QDateTime now() const override;
    QImage& chartImage() override;
    void presentChart() override;
    void showFourProbePanel() override;
    void showMessage(const QString& message) override;
    std::optional<QString> askSaveFileName() override;
    void recordFileSaved(thermo::TempFileKind kind, const QString& path) override;
    std::optional<bus::BusLease> acquireBus(const QString& procedure,
                                            std::function<void()> shutdown) override;
    void reportProgress(const status::Progress& progress) override;

  private:
    void wireButtons();
    void wireSettings();
    void wireTidyExport();
    void recordRestarted(thermo::TempFileKind kind);
    void showLastSample(thermo::ThermoRunKind kind);

    std::unique_ptr<thermo::ThermoRecord> record_;
    std::unique_ptr<thermo::ThermoPanel> panel_;
    // Which procedure filled the record last, and on which day it started.
    thermo::TempFileKind recordKind_ = thermo::TempFileKind::FourProbe;
    QDate recordDate_;
    QTimer* timer1_;  // owned by the window
};

}  // namespace tarvix::shell
