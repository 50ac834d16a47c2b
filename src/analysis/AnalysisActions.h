// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

#include "analysis/AnalysisHost.h"
#include "analysis/AnalysisState.h"
#include "analysis/Mechanism.h"
#include "series/SeriesStore.h"

namespace tarvix::analysis {

// State of other parts of the program that the analysis reads or, for the voltage window,
// overwrites.
struct AnalysisShared {
    series::SeriesStore& store;
    QImage& chart;             // the I-V chart's image
    const double& voltageMin;  // the I-V chart's voltage range
    const double& voltageMax;
    float& manualVoltage;  // lower end of the voltage window (ScrollBar1, Label23)
    float& cursorVoltage;  // upper end (ScrollBar2, Label24)
};

// The click handlers of the analysis column. Each runs to its end on the window's thread; a
// click that arrives while another one is letting events run is ignored, so that the running
// one keeps its points and fit.
class AnalysisActions {
  public:
    AnalysisActions(AnalysisState& state, AnalysisShared shared, AnalysisHost& host);

    // Button17Click, PFClick, Button8Click, Button9Click, Button10Click.
    void straighten(Mechanism mechanism);
    // Button11Click "initial grafik".
    void showInitialChart();
    // Button18Click, Button12Click, Button13Click, Button14Click, Button15Click.
    void saveStraightened(Mechanism mechanism);
    // Button16Click: the selected segment as measured.
    void saveMeasuredSegment();
    // Button19Click: every stored series into a linear and a "_log" two-column file.
    void saveAllSeries();
    // "Copy fit results": the last fit, tab-separated, to the clipboard.
    void copyFitResults();
    // The last fit's quantities derived again from the sample fields, which have changed.
    void refreshFitPhysics();

  private:
    class RunGuard;

    bool readSelection();
    int selectedPointCount() const;
    int fillStraightened(Mechanism mechanism, int count);
    void showUnitIvChart();
    void reportFit(Mechanism mechanism);
    void setPlotRangeFromFit();
    void setPlotRangeAroundPoints();
    void drawStraightened(Mechanism mechanism);
    bool refuseWithoutSelection();
    // A file error in a message box, or what was written on the status line.
    void reportSave(int error, AnalysisSave what, const QStringList& files);

    AnalysisState& state_;
    AnalysisShared shared_;
    AnalysisHost& host_;
    bool running_ = false;
};

}  // namespace tarvix::analysis
