// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StartController.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <cmath>

#include "iv/AcquisitionEnded.h"
#include "iv/AddressScan.h"
#include "iv/ModelChoice.h"
#include "iv/RangeTables.h"
#include "iv/Regimes.h"
#include "iv/TimeDependence.h"
#include "series/KtlFileStoreSteps.h"
#include "shell/IvChartView.h"
#include "shell/IvPanelController.h"
#include "shell/StartChecks.h"
#include "text/ClockText.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

namespace tarvix::shell {

namespace {

constexpr std::array<const char*, 9> kEnableBoxes = {"",           "CheckBox7",  "CheckBox2",
                                                     "CheckBox4",  "CheckBox6",  "CheckBox9",
                                                     "CheckBox11", "CheckBox15", "CheckBox18"};

}  // namespace

StartController::StartController(TForm1& form, IvPanelController& panel)
    : PanelController(form), panel_(panel), checks_(form, panel, *this), link_(form.gpib()) {
    panel_.setManualPointRecorder([this] { return recordManualPoint(); });
}

StartController::~StartController() = default;

void StartController::wire() {
    QObject::connect(c().button("Button1"), &QPushButton::clicked, &form_,
                     [this] { Button1Click(); });
    QObject::connect(c().button("Button22"), &QPushButton::clicked, &form_,
                     [this] { Button22Click(); });
    QObject::connect(c().button("Button20"), &QPushButton::clicked, &form_,
                     [this] { Button20Click(); });
    QObject::connect(c().button("Button33"), &QPushButton::clicked, &form_,
                     [this] { Button33Click(); });
}

bool StartController::checkBoard() {
    if (form_.gpib().boardPresent()) {
        form_.gpib().initialize(0, 0);
        c().setEnabled("Button1", true);
        c().setEnabled("Button22", true);
        return true;
    }
    c().setEnabled("Button1", false);
    c().setText("Button1", QStringLiteral("NO GRIB"));
    c().setEnabled("Button22", true);
    return false;
}

bool StartController::stopRequested() const {
    return form_.ivState().stopRequested;
}
void StartController::requestStop() {
    form_.ivState().stopRequested = true;
}
float StartController::manualVoltage() const {
    return form_.ivState().manualVoltage;
}
bool StartController::manualMode() const {
    return const_cast<StartController*>(this)->c().checked("RadioButton75");
}
bool StartController::segmentEnabled(int segment) const {
    return const_cast<StartController*>(this)->c().checked(
        QString::fromLatin1(kEnableBoxes[static_cast<size_t>(segment)]));
}
void StartController::drawChart() {
    form_.chart().drawIvChart();
}
void StartController::letEventsRun() {
    form_.letEventsRun();
}
void StartController::sleepMs(int milliseconds) {
    form_.sleepMs(milliseconds);
}
bool StartController::takeHoldRelease() {
    const bool pressed = form_.ivState().holdReleasePressed;
    form_.ivState().holdReleasePressed = false;
    return pressed;
}
void StartController::runLcrSweep() {
    if (lcrSweep_) {
        lcrSweep_();
    }
}
void StartController::runTimeDependence() {
    iv::TimeDependenceResult result;
    try {
        iv::recordTimeDependence(link_, form_.timeTable(), result);
    } catch (const iv::AcquisitionEnded&) {
        c().setText("Edit45", QString::number(result.rows));
        throw;
    }
    c().setText("Edit45", QString::number(result.rows));
    if (!result.message.isEmpty()) {
        form_.ui().showMessage(result.message);
    }
}

void StartController::Button22Click() {
    form_.ivState().stopRequested = true;
    form_.chart().setAnimationDelay(0);
}

void StartController::Button33Click() {
    form_.ivState().holdReleasePressed = true;
}

// The test has its own list of problems: it must not take those of a Start that runs.
void StartController::Button20Click() {
    const auto bus = form_.acquireBus(QStringLiteral("2636A"));
    if (!bus) {
        return;
    }
    QStringList problems;
    try {
        c().setText("Edit1", iv::test2636(link_, problems));
    } catch (const iv::AcquisitionEnded& fault) {
        problems.prepend(fault.message() + QStringLiteral(" The test was ended."));
    }
    if (!problems.isEmpty()) {
        form_.ui().showMessage(problems.join(QLatin1Char('\n')));
    }
}

void StartController::refuse(const QString& message) {
    if (!message.isEmpty()) {
        problems_ << message;
    }
}

// Everything an action has to say comes in one message at its end.
void StartController::showProblems() {
    if (!problems_.isEmpty()) {
        form_.ui().showMessage(problems_.join(QLatin1Char('\n')));
        problems_.clear();
    }
}

void StartController::scanAddresses() {
    IvState& state = form_.ivState();
    QListWidget* list = c().listBox("ListBox1");
    list->clear();
    iv::ScanCallbacks callbacks;
    callbacks.nowDays = [] { return text::nowAsDays(); };
    callbacks.showMessage = [this](const QString& text) { form_.ui().showMessage(text); };
    callbacks.addLine = [list](const QString& line) { list->addItem(line); };
    callbacks.identified = [&state](int address, int model) { state.smuModelAt[address] = model; };
    state.smuModelAt.clear();
    iv::runAddressScan(form_.gpib(), iv::kNoModel, state.scanStartDays, callbacks);
}

// A 2400 or 2410 once identified at address 24 is not asked again; a 2636A, or a unit not yet
// identified at the chosen address, is looked for at every Start. The unit that answers at
// the chosen model's address must be of that kind, or nothing is sent to it.
bool StartController::identifySourceMeter() {
    IvState& state = form_.ivState();
    const auto known = state.smuModelAt.find(iv::kScpiAddress);
    const bool knownScpi = state.sourceMeterAddress == iv::kScpiAddress &&
                           known != state.smuModelAt.end() &&
                           iv::modelSpeaksAt(known->second, iv::kScpiAddress);
    if (!knownScpi) {
        scanAddresses();
    }
    QString chosen = QStringLiteral("2400");
    if (c().checked("RadioButton89")) {
        chosen = QStringLiteral("2410");
    }
    if (c().checked("RadioButton90")) {
        chosen = QStringLiteral("2636A");
    }
    const iv::ModelChoice choice =
        iv::chooseSourceMeter(state.sourceMeterAddress, chosen, state.smuModelAt);
    state.sourceMeterModel = choice.model;
    if (choice.model == iv::kNoModel) {
        refuse(choice.refusal);
        return false;
    }
    return true;
}

bool StartController::runHead() {
    IvState& state = form_.ivState();
    if (c().checked("RadioButton88") || c().checked("RadioButton89")) {
        state.sourceMeterAddress = iv::kScpiAddress;
    }
    if (c().checked("RadioButton90")) {
        state.sourceMeterAddress = iv::kTspAddress;
    }
    c().setEnabled("Button1", false);
    state.actionRunning = true;
    state.scanStartDays = text::nowAsDays();
    if (!identifySourceMeter()) {
        return false;
    }
    if (!makeRoomForTheRun()) {
        refuse(StartChecks::storeFullMessage(StartChecks::storeRoom(form_.store()), 1));
        return false;
    }
    c().scrollBar("ScrollBar2")->setValue(10000);
    if (!c().checked("RadioButton75")) {
        c().scrollBar("ScrollBar1")->setValue(10000);
    }
    c().setText("Label45", QStringLiteral("[]"));
    form_.letEventsRun();
    // A run that cannot go is refused before the live layer is committed or anything is sent
    // to the source, so that a refusal leaves the store and the edits as they were.
    const QString problem = checks_.runProblem();
    if (!problem.isEmpty()) {
        refuse(problem);
        return false;
    }
    state.stopRequested = false;
    form_.chart().setAnimationDelay(0);
    form_.chart().show();
    commitBeforeMeasuring();
    return true;
}

// The live layer belongs to slot seriesCount. A slot that holds a series read from a file is
// not overwritten: the measurement moves on to the next slot first. The run's own slot must
// lie inside the store, or the measurement is refused before anything is sent.
bool StartController::makeRoomForTheRun() {
    series::SeriesStore& store = form_.store();
    IvState& state = form_.ivState();
    if (state.openedSeriesProtected && series::slotHoldsData(store, store.seriesCount)) {
        if (!series::moveOffOpenedSeries(store)) {
            return false;
        }
    }
    state.openedSeriesProtected = false;
    return store.seriesCount < series::SeriesStore::kMaxSeries;
}

void StartController::commitBeforeMeasuring() {
    series::SeriesStore& store = form_.store();
    if (store.seriesCount != 0) {
        store.commitLive(store.seriesCount);
    }
    store.clearLive();
    store.clearLiveLabels();
}

void StartController::Button1Click() {
    if (form_.ivState().actionRunning) {
        return;
    }
    const auto bus = form_.acquireBus(QStringLiteral("Start"));
    if (!bus) {
        return;
    }
    runStartAction();
}

StartController::ProcedureSweep StartController::runProcedureSweep() {
    ProcedureSweep result;
    if (form_.ivState().actionRunning) {
        result.refused = true;
        return result;
    }
    procedureSweep_ = true;
    const int countBefore = form_.store().seriesCount;
    const bool ran = runStartAction();
    procedureSweep_ = false;
    result.refused = !ran;
    result.fault = fault_;
    // The head may move off a series read from a file; the run's series is the first slot
    // after the one the live layer went to.
    for (int slot = countBefore + 1; ran && slot <= form_.store().seriesCount; ++slot) {
        if (series::slotHoldsData(form_.store(), slot)) {
            result.slot = slot;
        }
    }
    return result;
}

bool StartController::runStartAction() {
    problems_.clear();
    fault_.clear();
    link_.clearDeferred();
    form_.ivState().segment.compliance = {};
    const QString badField = checks_.fieldProblem();
    if (!badField.isEmpty()) {
        form_.ui().showMessage(badField);
        return false;
    }
    const bool started = runHead();
    if (!started) {
        endAction(false);
        showProblems();
        return false;
    }
    runRegime();
    return true;
}

bool StartController::runCheckedRegime() {
    bool reachedEnd = false;
    if (procedureSweep_) {
        reachedEnd = voltageSweepRegime();
    } else if (c().checked("RadioButton1")) {
        reachedEnd = resistanceRegime();
    } else if (c().checked("RadioButton2")) {
        reachedEnd = voltageSweepRegime();
    } else if (c().checked("RadioButton3")) {
        reachedEnd = currentSweepRegime();
    } else if (c().checked("RadioButton75")) {
        reachedEnd = manualRegime();
    }
    link_.throwDeferred();
    return reachedEnd;
}

// A fault ends the action with the output off (the regimes' guards see to it). What was
// measured before it is kept, and then the common end runs so that the next Start does not
// write over it; a fault before the first point leaves the store as it was.
void StartController::runRegime() {
    series::SeriesStore& store = form_.store();
    const int countBefore = store.seriesCount;
    bool reachedEnd = false;
    try {
        reachedEnd = runCheckedRegime();
    } catch (const iv::AcquisitionEnded& fault) {
        manual_.reset();
        fault_ = fault.message();
        reachedEnd = store.seriesCount != countBefore || store.liveSegmentCount() > 0;
        problems_.prepend(fault.message() +
                          (reachedEnd ? QStringLiteral(" The measurement was ended; the points "
                                                       "measured before it are kept.")
                                      : QStringLiteral(" The measurement was ended.")));
    }
    endAction(reachedEnd);
    showProblems();
}

// A fault says so even when the points before it are kept or a Stop came with it; an action
// that ended otherwise says why: the first of its problems. However it ended, points clipped
// by the source's limit are said.
void StartController::reportEnd(bool reachedCommonEnd) {
    status::StatusService& line = form_.status();
    const QString clipped = form_.ivState().segment.compliance.summary();
    if (!fault_.isEmpty()) {
        // A fault before the first point: the line still tells of it.
        if (!line.running()) {
            line.begin(QStringLiteral("Start"));
        }
        line.finish(status::Ending::Fault, fault_, clipped);
        return;
    }
    line.finish(form_.ivState().stopRequested ? status::Ending::Stopped
                : reachedCommonEnd            ? status::Ending::Finished
                                              : status::Ending::Ended,
                problems_.isEmpty() ? QString() : problems_.first(), clipped);
}

// The common end; every end of an action, quiet ones included, leaves the stop flag set, so
// that an idle window never records manual points.
void StartController::endAction(bool reachedCommonEnd) {
    IvState& state = form_.ivState();
    if (reachedCommonEnd) {
        ++form_.store().seriesCount;
    }
    reportEnd(reachedCommonEnd);
    // A procedure's sweep leaves Start greyed: the procedure still holds the bus.
    c().setEnabled("Button1", !procedureSweep_);
    state.stopRequested = true;
    state.actionRunning = false;
    manual_.reset();
    if (state.closeRequested) {
        state.closeRequested = false;
        form_.close();
    }
}

// A bar move records a point whenever a Start action runs with "By Manual" checked, also when
// the operator chose that regime in the middle of another one. The move is handled inside the
// event loop, where nothing may throw: a fault is kept for the action, which ends on it.
bool StartController::recordManualPoint() {
    IvState& state = form_.ivState();
    if (!state.actionRunning) {
        return true;
    }
    if (!manual_) {
        manual_ = std::make_unique<iv::ManualRegime>(link_, form_.store(), state.segment, *this);
    }
    try {
        return manual_->recordBarPoint(state.sourceMeterModel, readOptions());
    } catch (const iv::AcquisitionEnded& fault) {
        link_.defer(fault);
        state.stopRequested = true;
        return false;
    }
}

void StartController::reportProgress(const status::Progress& progress) {
    form_.status().publish(progress);
}

}  // namespace tarvix::shell
