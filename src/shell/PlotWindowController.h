// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "plot/StraightenedPlot.h"
#include "plotwindow/PlotHost.h"
#include "shell/TForm1.h"

namespace tarvix::plot {
class CurveSource;
class IvStoreSource;
class RecordSource;
class SweepSource;
}  // namespace tarvix::plot
namespace tarvix::thermo {
struct ThermoRecord;
}
namespace tarvix::lcr {
struct FreqSweep;
}
namespace tarvix::plotwindow {
class PlotWindow;
}

namespace tarvix::shell {

class AnalysisController;

// Wires the plot window into the main window: View -> "Plot window" and a double-click on
// a chart open it; "Fit to data" (PaintBox1's menu, Ctrl with a double-click) writes the
// data's range into the chart's limit edits. It answers the window's questions from the
// store, the journal and the controls, and offers it what the panel on view measures.
class PlotWindowController : public PanelController, public plotwindow::PlotHost {
  public:
    PlotWindowController(TForm1& form, const thermo::ThermoRecord& record,
                         const lcr::FreqSweep& sweep, const AnalysisController& analysis);
    ~PlotWindowController() override;

    void wire() override;
    void formClose() override;

    void openPlotWindow();
    // A curve another panel offers while it is open (the Arrhenius plot); shown first.
    void offerCurve(std::function<const plot::PlotSource*()> curve) {
        offeredCurve_ = std::move(curve);
    }
    void fitToData();

    std::vector<const plot::PlotSource*> sources() override;
    const plot::PlotSource* storeSource() const override;
    QString seriesComment(int slot) const override;
    QString seriesDate(int slot) const override;
    void setSeriesComment(int slot, const QString& comment) override;
    bool deleteSeries(int slot, int number) override;
    std::optional<double> cursorX() const override;
    QString pictureFileName() override;
    QString settingsFolder() const override;

  private:
    void watchDoubleClicks(const char* paintBox, bool fitsWithCtrl);
    QString fileName() const;
    // What the panel on view measures, in the order the window offers it.
    std::vector<const plot::PlotSource*> panelSources();
    // The straightened plot brought up to the analysis' last straightening and fit.
    void followStraightening(const plot::StraightenedCurveView& curve);

    std::unique_ptr<plot::IvStoreSource> source_;
    std::unique_ptr<plot::RecordSource> againstTemperature_;
    std::unique_ptr<plot::RecordSource> againstTime_;
    std::unique_ptr<plot::SweepSource> sweep_;
    const AnalysisController& analysis_;
    std::unique_ptr<plot::CurveSource> straightened_;
    std::uint64_t straightening_ = 0;           // AnalysisController::straightenings() shown
    plotwindow::PlotWindow* window_ = nullptr;  // a child of the form
    std::function<const plot::PlotSource*()> offeredCurve_;
    // Comments given in the plot window to series of no measurement here (from a file),
    // while the slot holds the same points.
    std::map<int, std::pair<unsigned, QString>> comments_;
};

}  // namespace tarvix::shell
