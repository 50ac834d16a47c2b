// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <memory>

#include "bus/GpibBus.h"
#include "lcr/ExternalBias.h"
#include "lcr/FreqSweep.h"
#include "lcr/FrequencyChart.h"
#include "lcr/FrequencySweeper.h"
#include "lcr/FrequencyView.h"
#include "lcr/LcrHost.h"
#include "lcr/SweepObserver.h"
#include "lcr/SweepSettings.h"

namespace tarvix::lcr {

// The LCR subsystem's state (the sweep, the plotted set, the chart image) and the actions of
// Panel6, for the window to call from its handlers.
class LcrPanel {
  public:
    explicit LcrPanel(LcrHost& host, int chartWidth = kChartWidth, int chartHeight = kChartHeight);

    FreqSweep& sweep() { return *sweep_; }
    const FreqSweep& sweep() const { return *sweep_; }
    const PlotSet& plotSet() const { return *plot_; }
    // PaintBox2Paint copies this at (0, 0).
    const QImage& chart() const { return chart_; }

    // Start-up: the test curve, on the grid CheckBox45 chooses.
    void loadTestCurve(bool logGrid);

    // Button32Click (and Button21Click): the whole sweep, then the chart of settings.view.
    // A click that arrives while a sweep runs (from a message box's event loop) does nothing.
    SweepReport runSweep(bus::GpibBus& bus, const SweepSettings& settings);

    // The chart a whole sweep ends with: the sweep's selection of `view`, drawn. For a sweep
    // measured now and for one loaded from the database.
    void showSweep(FrequencyView view, const ChartOptions& options);
    // RadioButton55..57Click, CheckBox43Click, RadioButton60Click: reselect and draw.
    void showView(FrequencyView view, const ChartOptions& options);
    // CheckBox46Click: draw the current plot set again.
    void redraw(const ChartOptions& options);
    // The chart as last drawn, into another image of its size (for its pictures).
    void drawChart(QImage& image) const;

    // EXT ON, EXT OFF and the bias the window leaves off as it closes; a sweep tells it the
    // mode it set.
    ExternalBias& externalBias() { return bias_; }
    // Told of every sweep's start, points and file (null: nobody).
    void setObserver(SweepObserver* observer) { observer_ = observer; }

  private:
    LcrHost& host_;
    std::unique_ptr<FreqSweep> sweep_;
    std::unique_ptr<PlotSet> plot_;
    QImage chart_;
    ChartOptions options_;
    ExternalBias bias_;
    SweepObserver* observer_ = nullptr;
    bool sweeping_ = false;
};

}  // namespace tarvix::lcr
