// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LcrController.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "journal/LcrJournal.h"
#include "journal/RecoveryJournal.h"
#include "lcr/FrqFile.h"
#include "lcr/LcrControls.h"
#include "lcr/LcrPanel.h"
#include "lcr/MeasuredParameters.h"
#include "lcr/TidySweepCsv.h"
#include "shell/ChartPictureMenu.h"
#include "shell/LcrSweepRecord.h"
#include "shell/MeasurementDescription.h"
#include "shell/StartController.h"
#include "shell/TidyCsvMenu.h"
#include "shell/Widgets.h"
#include "text/NumberText.h"

namespace tarvix::shell {

namespace {

const QString kPanel1 = QStringLiteral("Panel1");
const QString kPanel4 = QStringLiteral("Panel4");
const QString kPanel5 = QStringLiteral("Panel5");
const QString kPanel6 = QStringLiteral("Panel6");
const QString kChartBox = QStringLiteral("PaintBox2");
const QString kLastDataEdit = QStringLiteral("Edit59");
const QString kSweepRunning =
    QStringLiteral("7600 Start does nothing: an LCR sweep is running; press Stop (Esc) to end it");
const QString kTestCurveCaption = QStringLiteral("Test curve, not a measurement");

QString radioName(int number) {
    return QStringLiteral("RadioButton%1").arg(number);
}

// The first checked button of a range, by number; 0 when none is.
int checkedInRange(const Controls& controls, int first, int last) {
    for (int number = first; number <= last; ++number) {
        if (controls.checked(radioName(number))) {
            return number;
        }
    }
    return 0;
}

// The code of the checked button of one parameter group, or `fallback` when none is.
QString checkedCode(const Controls& controls, const char* lcr::MeasuredParameter::*button,
                    const QString& fallback) {
    for (const lcr::MeasuredParameter& parameter : lcr::measuredParameters()) {
        const char* name = parameter.*button;
        if (name != nullptr && controls.checked(QString::fromLatin1(name))) {
            return QString::fromLatin1(parameter.code);
        }
    }
    return fallback;
}

}  // namespace

LcrController::LcrController(TForm1& form)
    : PanelController(form), panel_(std::make_unique<lcr::LcrPanel>(*this)) {}

LcrController::~LcrController() = default;

void LcrController::wire() {
    c().paintBox(kChartBox)->setImage(&panel_->chart());
    pictures_ =
        std::make_unique<ChartPictureMenu>(*c().paintBox(kChartBox), form_.ui(), form_.status());
    pictures_->setSource([this](QImage& image) { panel_->drawChart(image); });
    wireButtons();
    wireRadioRange(61, 64, &LcrController::fmaxPresetClick);
    wireRadioRange(65, 68, &LcrController::triggerDelayClick);
    wireRadioRange(69, 71, &LcrController::biasModeClick);
    wireScrollBars();
    wireView();
    TidyCsvMenu::add(
        form_, QStringLiteral("ExportTidySweepCsv"), QStringLiteral("Export LCR sweep (CSV)..."),
        [this](const QString& path) { return exportTidySweep(path); },
        [this] {
            // Until a sweep ran, the tables hold the chart's synthetic test curve.
            return sweepMeasured_ ? QString() : QStringLiteral("No LCR sweep was measured yet");
        });
}

void LcrController::wireButtons() {
    const auto onClick = [this](const char* button, void (LcrController::*handler)()) {
        QObject::connect(c().anyButton(QString::fromLatin1(button)), &QAbstractButton::clicked,
                         &form_, [this, handler] { (this->*handler)(); });
    };
    onClick("Button32", &LcrController::Button32Click);
    onClick("Button21", &LcrController::Button32Click);
    onClick("Button34", &LcrController::Button34Click);
    onClick("Button35", &LcrController::Button35Click);
    QObject::connect(qobject_cast<ClickablePanel*>(c().widget(kPanel6)), &ClickablePanel::clicked,
                     &form_, [this] { Panel6Click(); });
}

void LcrController::wireRadioRange(int first, int last, void (LcrController::*handler)(int)) {
    for (int number = first; number <= last; ++number) {
        QObject::connect(c().anyButton(radioName(number)), &QAbstractButton::toggled, &form_,
                         [this, handler, number](bool checked) {
                             if (checked) {
                                 (this->*handler)(number);
                             }
                         });
    }
}

void LcrController::wireScrollBars() {
    const auto onChange = [this](const char* bar, void (LcrController::*handler)()) {
        QObject::connect(c().scrollBar(QString::fromLatin1(bar)), &QScrollBar::valueChanged, &form_,
                         [this, handler] { (this->*handler)(); });
    };
    onChange("ScrollBar3", &LcrController::ScrollBar3Change);
    onChange("ScrollBar4", &LcrController::ScrollBar4Change);
    onChange("ScrollBar5", &LcrController::ScrollBar5Change);
    onChange("ScrollBar6", &LcrController::ScrollBar6Change);
    onChange("ScrollBar7", &LcrController::ScrollBar7Change);
    onChange("ScrollBar8", &LcrController::ScrollBar8Change);
}

void LcrController::wireView() {
    const auto onChecked = [this](const QString& button, void (LcrController::*handler)()) {
        QObject::connect(c().anyButton(button), &QAbstractButton::toggled, &form_,
                         [this, handler](bool checked) {
                             if (checked) {
                                 (this->*handler)();
                             }
                         });
    };
    onChecked(radioName(55), &LcrController::viewClick);
    onChecked(radioName(56), &LcrController::viewClick);
    onChecked(radioName(57), &LcrController::viewClick);
    onChecked(radioName(60), &LcrController::RadioButton60Click);
    QObject::connect(c().anyButton(QStringLiteral("CheckBox43")), &QAbstractButton::toggled, &form_,
                     [this] { viewClick(); });
    QObject::connect(c().anyButton(QStringLiteral("CheckBox46")), &QAbstractButton::toggled, &form_,
                     [this] { CheckBox46Click(); });
}

void LcrController::formCreate() {
    panel_->sweep().biasMode = 0;
    Panel6Click();
    ScrollBar7Change();
    ScrollBar8Change();
    panel_->loadTestCurve(isChecked(QStringLiteral("CheckBox45")));
    // The synthetic curve is no measurement: the chart says so until the first sweep.
    c().paintBox(kChartBox)->setCaption(kTestCurveCaption);
    // The I-V Start that runs the sweep under its bias already holds the bus.
    form_.startAction().setLcrSweep([this] { runSweep(); });
}

void LcrController::Button32Click() {
    // The sweep lets events run between points: a start click then is refused, not queued.
    if (sweepRunning_) {
        form_.status().say(kSweepRunning);
        return;
    }
    const auto bus = form_.acquireBus(QStringLiteral("7600 Start"));
    if (bus) {
        runSweep();
    }
}

void LcrController::runSweep() {
    const lcr::SweepSettings settings = settingsFromPanel6();
    c().setText(QStringLiteral("Label40"), lcr::countLabel(settings.readingsPerPoint));
    c().setText(QStringLiteral("Label41"), lcr::countLabel(settings.meterAverage));
    const lcr::SweepReport report = runStoppableSweep(settings);
    using Outcome = lcr::SweepReport::Outcome;
    if (report.outcome == Outcome::Completed || report.outcome == Outcome::FileFailed ||
        report.outcome == Outcome::Ended) {
        sweepMeasured_ = true;
        sweepDate_ = QDate::currentDate();
        c().paintBox(kChartBox)->setCaption(QString());
    }
    if (report.outcome == Outcome::Completed) {
        const QString file =
            QFileInfo(lcr::FrqFile::fileName(settings.fileBaseName)).absoluteFilePath();
        // The file goes to the working folder, which the operator may not know.
        form_.ui().showMessage(QStringLiteral("Frequency data written to %1").arg(file));
    }
}

lcr::FreqSweep& LcrController::sweep() {
    return panel_->sweep();
}

void LcrController::showPastSweep(qint64 id, const QDate& measured) {
    if (journal_) {
        journal_->loaded(id);
    }
    takeSweepOf(measured);
    QAbstractButton* mode = c().anyButton(radioName(60));
    {
        const QSignalBlocker blocker(mode);
        mode->setChecked(true);
    }
    RadioButton60Click();
    panel_->showSweep(chosenView(), chartOptions());
}

void LcrController::takeSweepOf(const QDate& measured) {
    sweepMeasured_ = true;
    sweepDate_ = measured;
    c().paintBox(kChartBox)->setCaption(QString());
    const lcr::FreqSweep& past = panel_->sweep();
    const auto last = static_cast<std::size_t>(std::clamp(past.sweepCount, 0, lcr::kSweepCapacity));
    // The meter's own text of the last reading is not kept; its value stands in for it: the
    // secondary's when one was measured, otherwise the primary's.
    const bool secondary = past.secondaryCode != QLatin1String(lcr::kNoSecondaryCode);
    const double value = secondary ? past.sweepSecondary[last] : past.sweepPrimary[last];
    showLastData(last > 0 ? text::generalTextForDisplay(value) : QString());
}

// The panel takes the sweep back as its end had drawn it; the window stays on the panel in view.
QString LcrController::journalOpened() {
    journal::JournalDatabase& db = form_.journal().database();
    journal_ = std::make_unique<journal::LcrJournal>(
        db, [this](const lcr::SweepSettings& settings) { return describeLcrSweep(c(), settings); });
    panel_->setObserver(journal_.get());
    const journal::RecoveredSweep found =
        journal_->recover([this, &db](qint64 id, QString* readFailure) {
            return readLcrSweep(db.database(), id, panel_->sweep(), readFailure);
        });
    if (found.points > 0) {
        takeSweepOf(found.first.date());
        panel_->showSweep(chosenView(), chartOptions());
    }
    return recoveredSweepMessage(found);
}

// A sweep of its own takes the stop flag as Start does and leaves it set at its end; one run
// under the I-V sweep's bias shares that sweep's flag, so Stop ends both.
lcr::SweepReport LcrController::runStoppableSweep(const lcr::SweepSettings& settings) {
    IvState& state = form_.ivState();
    const bool ownRun = !state.actionRunning;
    if (ownRun) {
        state.stopRequested = false;
    }
    sweepRunning_ = true;
    const lcr::SweepReport report = panel_->runSweep(form_.gpib(), settings);
    sweepRunning_ = false;
    if (ownRun) {
        state.stopRequested = true;
    }
    return report;
}

bool LcrController::stopRequested() const {
    return form_.ivState().stopRequested;
}

int LcrController::exportTidySweep(const QString& path) {
    return lcr::writeTidySweepCsv(
        path, panel_->sweep(),
        TidyCsvMenu::heading(form_, QString(), sweepDate_.toString(Qt::ISODate)));
}

void LcrController::Button34Click() {
    if (const auto bus = form_.acquireBus(QStringLiteral("EXT OFF"))) {
        showFailure(panel_->externalBias().switchOff(form_.gpib()));
    }
}

void LcrController::Button35Click() {
    if (const auto bus = form_.acquireBus(QStringLiteral("EXT ON"))) {
        showFailure(panel_->externalBias().switchOn(form_.gpib()));
    }
}

// The window closes only with the bus free, so the command goes out at once.
void LcrController::formClose() {
    if (!panel_->externalBias().mayBeOn()) {
        return;
    }
    QString refusal;
    if (const auto bus = form_.busOwner().acquire(QStringLiteral("EXT OFF"), &refusal)) {
        showFailure(panel_->externalBias().closeDown(form_.gpib()));
    }
}

void LcrController::showFailure(const QString& message) {
    if (!message.isEmpty()) {
        form_.ui().showMessage(message);
    }
}

void LcrController::RadioButton60Click() {
    c().setVisible(kPanel1, false);
    c().setVisible(kPanel4, false);
    c().setVisible(kPanel5, false);
    c().setVisible(kPanel6, true);
    viewClick();
}

void LcrController::fmaxPresetClick(int button) {
    if (const auto hertz = lcr::fmaxPresetForButton(button)) {
        c().scrollBar(QStringLiteral("ScrollBar4"))->setValue(*hertz);
    }
}

void LcrController::triggerDelayClick(int button) {
    if (const auto milliseconds = lcr::triggerDelayForButton(button)) {
        panel_->sweep().triggerDelay = *milliseconds;
    }
}

void LcrController::biasModeClick(int button) {
    if (const auto mode = lcr::biasModeForButton(button)) {
        panel_->sweep().biasMode = *mode;
    }
}

void LcrController::ScrollBar3Change() {
    c().setText(QStringLiteral("Label33"), lcr::fminLabel(scrollPosition("ScrollBar3")));
}

void LcrController::ScrollBar4Change() {
    c().setText(QStringLiteral("Label34"), lcr::fmaxLabel(scrollPosition("ScrollBar4")));
}

void LcrController::ScrollBar5Change() {
    c().setText(QStringLiteral("Label35"), lcr::pointCountLabel(scrollPosition("ScrollBar5")));
}

// The bar moves in steps of 5 mV; its label follows the snapped position.
void LcrController::ScrollBar6Change() {
    QScrollBar* bar = c().scrollBar(QStringLiteral("ScrollBar6"));
    const int snapped = lcr::snapAcLevel(bar->value());
    if (snapped != bar->value()) {
        const QSignalBlocker blocker(bar);
        bar->setValue(snapped);
    }
    c().setText(QStringLiteral("Label37"), lcr::acLevelLabel(bar->value()));
}

void LcrController::ScrollBar7Change() {
    panel_->sweep().readingsPerPoint = scrollPosition("ScrollBar7");
    c().setText(QStringLiteral("Label40"), lcr::countLabel(panel_->sweep().readingsPerPoint));
}

void LcrController::ScrollBar8Change() {
    panel_->sweep().meterAverage = scrollPosition("ScrollBar8");
    c().setText(QStringLiteral("Label41"), lcr::countLabel(panel_->sweep().meterAverage));
}

void LcrController::Panel6Click() {
    ScrollBar3Change();
    ScrollBar4Change();
    ScrollBar5Change();
    ScrollBar6Change();
}

void LcrController::viewClick() {
    panel_->showView(chosenView(), chartOptions());
}

void LcrController::CheckBox46Click() {
    panel_->redraw(chartOptions());
}

lcr::SweepSettings LcrController::settingsFromPanel6() const {
    lcr::SweepSettings settings;
    settings.fmin = scrollPosition("ScrollBar3");
    settings.fmax = scrollPosition("ScrollBar4");
    settings.pointCount = scrollPosition("ScrollBar5");
    settings.acLevelMv = scrollPosition("ScrollBar6");
    settings.logGrid = isChecked(QStringLiteral("CheckBox45"));
    settings.triggerDelay = checkedPanel8Delay();
    settings.biasMode = panel_->sweep().biasMode;
    settings.readingsPerPoint = scrollPosition("ScrollBar7");
    settings.meterAverage = scrollPosition("ScrollBar8");
    settings.speed = lcr::speedForButton(checkedInRange(form_.controls(), 72, 74));
    settings.primaryCode =
        checkedCode(form_.controls(), &lcr::MeasuredParameter::primaryButton, settings.primaryCode);
    settings.secondaryCode = checkedCode(form_.controls(), &lcr::MeasuredParameter::secondaryButton,
                                         settings.secondaryCode);
    settings.fileBaseName = form_.controls().text(QStringLiteral("Edit60"));
    settings.view = chosenView();
    settings.chart = chartOptions();
    return settings;
}

// The delay of the checked Panel8 button, or the last one chosen when none is checked.
int LcrController::checkedPanel8Delay() const {
    return lcr::triggerDelayForButton(checkedInRange(form_.controls(), 65, 68))
        .value_or(panel_->sweep().triggerDelay);
}

int LcrController::scrollPosition(const char* name) const {
    return form_.controls().scrollBar(QString::fromLatin1(name))->value();
}

bool LcrController::isChecked(const QString& name) const {
    return form_.controls().checked(name);
}

lcr::FrequencyView LcrController::chosenView() const {
    if (isChecked(radioName(56))) {
        return lcr::FrequencyView::SecondaryFromFrequency;
    }
    if (isChecked(radioName(57))) {
        return lcr::FrequencyView::PrimaryFromSecondary;
    }
    return lcr::FrequencyView::PrimaryFromFrequency;
}

lcr::ChartOptions LcrController::chartOptions() const {
    return lcr::ChartOptions{isChecked(QStringLiteral("CheckBox46")),
                             isChecked(QStringLiteral("CheckBox43"))};
}

void LcrController::showMessage(const QString& text) {
    form_.ui().showMessage(text);
}

bool LcrController::endRequested() const {
    return form_.busOwner().endRequested();
}

void LcrController::processEvents() {
    form_.letEventsRun();
}

void LcrController::showLastData(const QString& text) {
    c().setText(kLastDataEdit, text);
}

void LcrController::showChart(const QImage& chart) {
    ImageBox* box = c().paintBox(kChartBox);
    box->setImage(&chart);
    box->update();
}

void LcrController::reportProgress(const status::Progress& progress) {
    form_.status().publish(progress);
}

}  // namespace tarvix::shell
