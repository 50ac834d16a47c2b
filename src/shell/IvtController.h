// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <memory>
#include <optional>
#include <vector>

#include "ivtemp/Arrhenius.h"
#include "ivtemp/IvtProcedure.h"
#include "ivtwindow/IvtWindow.h"
#include "shell/TForm1.h"
#include "thermo/ThermoBusLink.h"

namespace tarvix::plot {
class CurveSource;
class PlotSource;
}  // namespace tarvix::plot

namespace tarvix::shell {

// Wires I-V versus temperature into the main window: View -> "I-V versus temperature" opens
// its window; Start runs the procedure inside the click, as every long action runs, holding
// the bus for the whole run: the thermocouple is read every period, and at each target the
// I-V panel's Start runs one voltage sweep, whose series then carries its two temperatures.
class IvtController : public PanelController, public ivtwindow::IvtWindowHost {
  public:
    explicit IvtController(TForm1& form);
    ~IvtController() override;

    void wire() override;
    void closeRequested() override { stopRequested_ = true; }

    void openWindow();
    void ivtStart() override;
    void ivtStop() override;
    void ivtArrhenius() override;
    void ivtExportTable() override;

    // The last Arrhenius plot while its window is open, for the plot window; else nothing.
    const plot::PlotSource* arrheniusOnView() const;

    static const QString kProcedure;

  private:
    std::optional<ivtemp::IvtSettings> readSettings();
    QString startProblem(const ivtemp::IvtSettings& settings) const;
    void run(const ivtemp::IvtSettings& settings, bus::BusLease& lease);
    ivtemp::IvtProcedure::Step sweepAtTarget(ivtemp::IvtProcedure& procedure, double beforeK);
    std::optional<double> readKelvin();
    double seconds() const { return static_cast<double>(clock_.elapsed()) / 1000.0; }
    void waitPeriod(double periodS, const bus::BusLease& lease);
    void keepTemperatures(int slot, const ivtemp::IvtProcedure::Measured& measured);
    void finish(const ivtemp::IvtProcedure& procedure, ivtemp::IvtProcedure::Step last);
    std::vector<int> arrheniusSeries() const;
    std::optional<std::vector<ivtemp::ArrheniusPoint>> arrheniusTable();
    void shutDown();

    ivtwindow::IvtWindow* window_ = nullptr;  // a child of the form
    std::unique_ptr<plot::CurveSource> arrhenius_;
    thermo::ThermoBusLink link_;
    QElapsedTimer clock_;
    bool running_ = false;
    bool stopRequested_ = false;
    bool sweepRefused_ = false;
    QString sweepFault_;  // the fault that ended the sweep and with it the run
    QString setUpFault_;
    int smuAddress_ = 24;
    // The run's series, with the revision each had when measured: the Arrhenius plot is
    // drawn over them while the store still holds them.
    std::vector<std::pair<int, unsigned>> runSeries_;
};

}  // namespace tarvix::shell
