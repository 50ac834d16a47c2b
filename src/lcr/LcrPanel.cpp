// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/LcrPanel.h"

#include "series/ChartCanvas.h"

namespace tarvix::lcr {

LcrPanel::LcrPanel(LcrHost& host, int chartWidth, int chartHeight)
    : host_(host),
      sweep_(std::make_unique<FreqSweep>()),
      plot_(std::make_unique<PlotSet>()),
      chart_(series::makeChartImage(chartWidth, chartHeight)) {}

void LcrPanel::loadTestCurve(bool logGrid) {
    lcr::loadTestCurve(*sweep_, logGrid);
}

SweepReport LcrPanel::runSweep(bus::GpibBus& bus, const SweepSettings& settings) {
    if (sweeping_) {
        return SweepReport{SweepReport::Outcome::Busy};
    }
    sweeping_ = true;
    FrequencySweeper sweeper(bus, host_, *sweep_, observer_);
    const SweepReport report = sweeper.run(settings);
    sweeping_ = false;
    bias_.sweepConfigured(settings.biasMode, report.biasTaken);
    if (report.outcome == SweepReport::Outcome::Completed ||
        report.outcome == SweepReport::Outcome::Ended) {
        showSweep(settings.view, settings.chart);
    }
    return report;
}

void LcrPanel::showSweep(FrequencyView view, const ChartOptions& options) {
    selectFrequencyView(*plot_, *sweep_, view, ViewSelection::EndOfSweep);
    redraw(options);
}

void LcrPanel::showView(FrequencyView view, const ChartOptions& options) {
    selectFrequencyView(*plot_, *sweep_, view, ViewSelection::ViewChange);
    redraw(options);
}

void LcrPanel::redraw(const ChartOptions& options) {
    options_ = options;
    drawChart(chart_);
    host_.showChart(chart_);
    host_.processEvents();
}

}  // namespace tarvix::lcr

namespace tarvix::lcr {

void LcrPanel::drawChart(QImage& image) const {
    const PlotSet& plot = *plot_;
    drawFrequencyChart(image, plot.yText, plot.xText, plot.yMin, plot.yMax, plot.xMin, plot.xMax,
                       plot, sweep_->sweepCount, options_);
}

}  // namespace tarvix::lcr
