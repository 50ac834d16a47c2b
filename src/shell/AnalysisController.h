// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/AnalysisActions.h"
#include "analysis/AnalysisHost.h"
#include "analysis/AnalysisState.h"
#include "plot/StraightenedPlot.h"
#include "shell/TForm1.h"

namespace tarvix::shell {

// The analysis column: the five straightenings, the initial graph, their save buttons and the
// File menu's export of every series into a linear and a log file. The window is the
// analysis' host; the I-V chart's image, ranges and window voltages are shared with it.
class AnalysisController : public PanelController, private analysis::AnalysisHost {
  public:
    explicit AnalysisController(TForm1& form);
    ~AnalysisController() override;
    void wire() override;
    void formCreate() override;
    void formClose() override;

    // The last straightening's fit with its quantities, for views that show it; none before
    // the first fit or after one whose points set no line.
    const std::optional<analysis::FitReport>& lastFit() const { return state_.fit; }
    // The straightened curve the main chart shows, while it shows it.
    std::optional<plot::StraightenedCurveView> straightenedOnView() const;
    // Moves with every straightened curve drawn.
    std::uint64_t straightenings() const { return straightenings_; }

    void Button17Click() { straighten(analysis::Mechanism::Ohm); }
    void PFClick() { straighten(analysis::Mechanism::PooleFrenkel); }
    void Button8Click() { straighten(analysis::Mechanism::SpaceCharge); }
    void Button9Click() { straighten(analysis::Mechanism::Tunnel); }
    void Button10Click() { straighten(analysis::Mechanism::Schottky); }
    void Button11Click() { actions_.showInitialChart(); }
    void Button18Click() { actions_.saveStraightened(analysis::Mechanism::Ohm); }
    void Button12Click() { actions_.saveStraightened(analysis::Mechanism::PooleFrenkel); }
    void Button13Click() { actions_.saveStraightened(analysis::Mechanism::SpaceCharge); }
    void Button14Click() { actions_.saveStraightened(analysis::Mechanism::Tunnel); }
    void Button15Click() { actions_.saveStraightened(analysis::Mechanism::Schottky); }
    void Button16Click() { actions_.saveMeasuredSegment(); }
    void Button19Click() { actions_.saveAllSeries(); }
    void copyFitResults() { actions_.copyFitResults(); }

    // The File menu entry bound to Button19Click.
    static QString exportAllSeriesMenuText();
    static QString copyFitResultsText();

  private:
    // A straightened curve as drawn, kept apart from the work arrays, which a save refills.
    struct Straightened {
        analysis::Mechanism mechanism = analysis::Mechanism::Ohm;
        int segment = 0;
        int series = 0;
        std::vector<double> x;
        std::vector<double> y;
        analysis::LineFit line;
        std::uint64_t drawing = 0;  // IvChartView::drawings() once drawn
    };
    void straighten(analysis::Mechanism mechanism);
    void connectButton(const char* name, void (AnalysisController::*handler)());

    // AnalysisHost
    QString controlText(const QString& name) const override;
    void setControlText(const QString& name, const QString& text) override;
    void showMessage(const QString& text) override;
    bool logScale() const override;
    void showChart() override;
    void processEvents() override;
    void sleepMilliseconds(int milliseconds) override;
    int animationDelay() const override;
    void setAnimationDelay(int milliseconds) override;
    void redrawIvChart(double currentMin, double currentMax, double voltageMin,
                       double voltageMax) override;
    std::optional<QString> chooseSaveFile(const QString& title, const QString& filter) override;
    void filesSaved(analysis::AnalysisSave what, const QStringList& files) override;
    void showFitSummary(const QString& text) override;
    void copyToClipboard(const QString& text) override;
    void setChartSource(series::ChartRender render) override;
    void addCopyFitResultsAction();

    analysis::AnalysisState state_;
    analysis::AnalysisActions actions_;
    std::optional<analysis::Mechanism> straightening_;  // while one is drawn
    std::optional<Straightened> straightened_;
    std::uint64_t straightenings_ = 0;
};

}  // namespace tarvix::shell
