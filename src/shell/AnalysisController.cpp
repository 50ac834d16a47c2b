// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/AnalysisController.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <utility>

#include "analysis/SampleFields.h"
#include "plot/SeriesPalette.h"
#include "series/IvChartOptions.h"
#include "shell/ChartPictureMenu.h"
#include "shell/FileActionTexts.h"
#include "shell/FitSampleSettings.h"
#include "shell/IvChartView.h"

namespace tarvix::shell {

namespace {
const QString kFitSummary = QStringLiteral("FitSummary");
}

AnalysisController::AnalysisController(TForm1& form)
    : PanelController(form),
      actions_(
          state_,
          {form.store(), form.chart().ivBitmap(), form.ivState().voltageMin,
           form.ivState().voltageMax, form.ivState().manualVoltage, form.ivState().cursorVoltage},
          *this) {}

AnalysisController::~AnalysisController() = default;

QString AnalysisController::exportAllSeriesMenuText() {
    return QStringLiteral("Export all series (linear and log)...");
}

QString AnalysisController::copyFitResultsText() {
    return QStringLiteral("Copy fit results");
}

// On the chart's context menu and on the fit figures' own.
void AnalysisController::addCopyFitResultsAction() {
    QAction* copy = new QAction(copyFitResultsText(), &form_);
    copy->setObjectName(QStringLiteral("CopyFitResults"));
    QObject::connect(copy, &QAction::triggered, &form_, [this] { copyFitResults(); });
    form_.chart().pictures().addAction(copy);
    QWidget* summary = c().widget(kFitSummary);
    summary->setContextMenuPolicy(Qt::ActionsContextMenu);
    summary->addAction(copy);
}

void AnalysisController::connectButton(const char* name, void (AnalysisController::*handler)()) {
    QObject::connect(c().anyButton(QString::fromLatin1(name)), &QAbstractButton::clicked, &form_,
                     [this, handler] { (this->*handler)(); });
}

void AnalysisController::wire() {
    connectButton("Button17", &AnalysisController::Button17Click);
    connectButton("PF", &AnalysisController::PFClick);
    connectButton("Button8", &AnalysisController::Button8Click);
    connectButton("Button9", &AnalysisController::Button9Click);
    connectButton("Button10", &AnalysisController::Button10Click);
    connectButton("Button11", &AnalysisController::Button11Click);
    connectButton("Button18", &AnalysisController::Button18Click);
    connectButton("Button12", &AnalysisController::Button12Click);
    connectButton("Button13", &AnalysisController::Button13Click);
    connectButton("Button14", &AnalysisController::Button14Click);
    connectButton("Button15", &AnalysisController::Button15Click);
    connectButton("Button16", &AnalysisController::Button16Click);
    // No control of the window carries Button19Click; the menu entry does.
    QAction* exportAll = form_.fileMenu()->addAction(exportAllSeriesMenuText());
    exportAll->setObjectName(QStringLiteral("Button19"));
    QObject::connect(exportAll, &QAction::triggered, &form_, [this] { Button19Click(); });
    addCopyFitResultsAction();
    for (const char* field : analysis::kSampleFields) {
        QObject::connect(c().edit(QString::fromLatin1(field)), &QLineEdit::textChanged, &form_,
                         [this] { actions_.refreshFitPhysics(); });
    }
}

void AnalysisController::formCreate() {
    FitSampleSettings::restore(form_.configDir(), c());
}

void AnalysisController::formClose() {
    if (!FitSampleSettings::save(form_.configDir(), c())) {
        showMessage(QStringLiteral("The fit's sample fields could not be saved to %1")
                        .arg(FitSampleSettings::path(form_.configDir())));
    }
}

QString AnalysisController::controlText(const QString& name) const {
    return form_.controls().text(name);
}

void AnalysisController::setControlText(const QString& name, const QString& text) {
    c().setText(name, text);
}

void AnalysisController::showMessage(const QString& text) {
    form_.ui().showMessage(text);
}

void AnalysisController::filesSaved(analysis::AnalysisSave what, const QStringList& files) {
    switch (what) {
        case analysis::AnalysisSave::Straightened:
            form_.status().say(file_action_texts::savedStraightenedCurve(files.value(0)));
            break;
        case analysis::AnalysisSave::MeasuredSegment:
            form_.status().say(file_action_texts::savedMeasuredSegment(files.value(0)));
            break;
        case analysis::AnalysisSave::AllSeries:
            form_.status().say(file_action_texts::savedAllSeries(files.value(0), files.value(1)));
            break;
    }
}

bool AnalysisController::logScale() const {
    return form_.controls().checked(QStringLiteral("CheckBox13"));
}

void AnalysisController::showChart() {
    form_.chart().show();
}

void AnalysisController::processEvents() {
    form_.letEventsRun();
}

void AnalysisController::sleepMilliseconds(int milliseconds) {
    form_.sleepMs(milliseconds);
}

int AnalysisController::animationDelay() const {
    return form_.chart().animationDelay();
}

void AnalysisController::setAnimationDelay(int milliseconds) {
    form_.chart().setAnimationDelay(milliseconds);
}

void AnalysisController::redrawIvChart(double currentMin, double currentMax, double voltageMin,
                                       double voltageMax) {
    form_.chart().drawIvChart(
        series::IvChartRanges{currentMin, currentMax, voltageMin, voltageMax});
}

std::optional<QString> AnalysisController::chooseSaveFile(const QString& title,
                                                          const QString& filter) {
    return form_.ui().saveFileName(title, filter);
}

}  // namespace tarvix::shell

namespace tarvix::shell {

void AnalysisController::showFitSummary(const QString& text) {
    c().setText(kFitSummary, text);
    c().widget(kFitSummary)->setToolTip(text);
    c().widget(QStringLiteral("Label27"))->setToolTip(text);
}

void AnalysisController::copyToClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

void AnalysisController::setChartSource(series::ChartRender render) {
    form_.chart().setPictureSource(std::move(render));
    if (straightening_) {
        const std::uint64_t drawing = form_.chart().drawings();
        straightened_ = Straightened{*straightening_,
                                     state_.analysisSegment,
                                     state_.analysisSeries,
                                     {state_.xs().begin(), state_.xs().end()},
                                     {state_.ys().begin(), state_.ys().end()},
                                     {state_.fitIntercept, state_.fitSlope, state_.fitDefined},
                                     drawing};
        ++straightenings_;
    }
}

// A click that comes while another straightening lets events run is ignored by the actions;
// the running one keeps its mechanism.
void AnalysisController::straighten(analysis::Mechanism mechanism) {
    const std::optional<analysis::Mechanism> running = std::exchange(straightening_, mechanism);
    actions_.straighten(mechanism);
    straightening_ = running;
}

std::optional<plot::StraightenedCurveView> AnalysisController::straightenedOnView() const {
    if (!straightened_ || straightened_->drawing != form_.chart().drawings()) {
        return std::nullopt;
    }
    const Straightened& shown = *straightened_;
    return plot::StraightenedCurveView{shown.mechanism,
                                       shown.segment,
                                       shown.series,
                                       shown.x,
                                       shown.y,
                                       shown.line,
                                       plot::seriesColour(shown.series)};
}

}  // namespace tarvix::shell
