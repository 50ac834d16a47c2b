#include "shell/StartController.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <array>
#include <cmath>

#include "iv/AddressScan.h"
#include "iv/RangeTables.h"
#include "iv/Regimes.h"
#include "iv/TimeDependence.h"
#include "series/KtlFileStoreSteps.h"
#include "shell/IvChartView.h"
#include "shell/IvPanelController.h"
#include "text/ClockText.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

namespace tarvix::shell {

namespace {

constexpr std::array<const char*, 9> kEnableBoxes = {"",           "CheckBox7",  "CheckBox2",
                                                     "CheckBox4",  "CheckBox6",  "CheckBox9",
                                                     "CheckBox11", "CheckBox15", "CheckBox18"};

// The picoammeter's integration time buttons, in the order the set-up tests them.
constexpr std::array<std::pair<const char*, const char*>, 6> kIntegrationTimes = {{
    {"RadioButton11", "CURR:NPLC 7"},
    {"RadioButton12", "CURR:NPLC 5"},
    {"RadioButton13", "CURR:NPLC 2"},
    {"RadioButton16", "CURR:NPLC 1"},
    {"RadioButton15", "CURR:NPLC 0.5"},
    {"RadioButton14", "CURR:NPLC 0.1"},
}};

const QString kStoreFull = QStringLiteral(
    "The store holds 150 series, its limit. Save the series and press \"Delete\" before "
    "measuring again.");

}  // namespace

StartController::StartController(TForm1& form, IvPanelController& panel)
    : PanelController(form), panel_(panel) {
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

void StartController::checkBoard() {
    if (form_.gpib().boardPresent()) {
        form_.gpib().initialize(0, 0);
        c().setEnabled("Button1", true);
        c().setEnabled("Button22", true);
    } else {
        c().setEnabled("Button1", false);
        c().setText("Button1", QStringLiteral("NO GRIB"));
        c().setEnabled("Button22", true);
    }
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
    const iv::TimeDependenceResult result =
        iv::recordTimeDependence(form_.gpib(), form_.timeTable());
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

void StartController::Button20Click() {
    if (const auto reply = iv::test2636(form_.gpib())) {
        c().setText("Edit1", *reply);
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
    state.sourceMeterModel =
        iv::runAddressScan(form_.gpib(), state.sourceMeterModel, state.scanStartDays, callbacks);
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
    if (state.sourceMeterModel != iv::kModel2400 && state.sourceMeterModel != iv::kModel2410) {
        scanAddresses();
    }
    if (state.sourceMeterModel == iv::kNoModel) {
        return false;
    }
    if (!makeRoomForTheRun()) {
        form_.ui().showMessage(kStoreFull);
        return false;
    }
    c().scrollBar("ScrollBar2")->setValue(10000);
    if (!c().checked("RadioButton75")) {
        c().scrollBar("ScrollBar1")->setValue(10000);
    }
    c().setText("Label45", QStringLiteral("[]"));
    form_.letEventsRun();
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
    const bool started = runHead();
    if (!started) {
        endAction(false);
        return;
    }
    runRegime();
}

void StartController::runRegime() {
    bool reachedEnd = false;
    if (c().checked("RadioButton1")) {
        reachedEnd = resistanceRegime();
    } else if (c().checked("RadioButton2")) {
        reachedEnd = voltageSweepRegime();
    } else if (c().checked("RadioButton3")) {
        reachedEnd = currentSweepRegime();
    } else if (c().checked("RadioButton75")) {
        reachedEnd = manualRegime();
    }
    endAction(reachedEnd);
}

// The common end; every end of an action, quiet ones included, leaves the stop flag set, so
// that an idle window never records manual points.
void StartController::endAction(bool reachedCommonEnd) {
    IvState& state = form_.ivState();
    if (reachedCommonEnd) {
        ++form_.store().seriesCount;
    }
    form_.status().finish(state.stopRequested ? status::Ending::Stopped
                          : reachedCommonEnd  ? status::Ending::Finished
                                              : status::Ending::Ended);
    c().setEnabled("Button1", true);
    state.stopRequested = true;
    state.actionRunning = false;
    manual_.reset();
    if (state.closeRequested) {
        state.closeRequested = false;
        form_.close();
    }
}

iv::SweepOptions StartController::readOptions() const {
    auto& controls = const_cast<StartController*>(this)->c();
    const IvState& state = form_.ivState();
    iv::SweepOptions options;
    options.address = state.sourceMeterAddress;
    options.compliance = state.compliance;
    options.realVoltage = controls.checked("CheckBox40");
    options.picoammeter = controls.checked("CheckBox38");
    for (const auto& [radio, command] : kIntegrationTimes) {
        if (controls.checked(QString::fromLatin1(radio))) {
            options.picoammeterNplc = QString::fromLatin1(command);
            break;
        }
    }
    options.timeDependence = controls.checked("CheckBox42");
    options.holdAround = controls.checked("CheckBox49");
    options.lcrUnderBias = controls.checked("CheckBox47");
    return options;
}

// Steps 1 to 4 of the voltage and manual regimes: limits, compliances and the plan.
bool StartController::prepareSweepLimits() {
    IvState& state = form_.ivState();
    if (!convertLimitPair("Edit4", state.currentMin, "Edit5", state.currentMax)) {
        return false;
    }
    if (state.voltageMax - state.voltageMin == 0 || state.currentMax - state.currentMin == 0) {
        return false;
    }
    return panel_.convertCompliances() && panel_.buildVoltagePlan();
}

bool StartController::convertVoltageLimits() {
    IvState& state = form_.ivState();
    return convertLimitPair("Edit2", state.voltageMin, "Edit3", state.voltageMax);
}

// Converts two edits in order, stopping at the first error; the first value is kept when
// only the second fails, as the design's sequential conversions do.
bool StartController::convertLimitPair(const char* lowEdit, double& low, const char* highEdit,
                                       double& high) {
    const auto lowValue = text::parseDecimal(c().text(QString::fromLatin1(lowEdit)));
    if (!lowValue) {
        return false;
    }
    low = *lowValue;
    const auto highValue = text::parseDecimal(c().text(QString::fromLatin1(highEdit)));
    if (!highValue) {
        return false;
    }
    high = *highValue;
    return true;
}

bool StartController::voltageSweepRegime() {
    IvState& state = form_.ivState();
    if (!prepareSweepLimits()) {
        return false;
    }
    // The run keeps the plan it was started with: an edit typed while it runs (an emptied
    // step count is 0) must not reach the segments still to come.
    const iv::SweepPlan plan = state.voltagePlan;
    double peak = 0;
    double firstLevel = 0;
    iv::IvSweep::peakAndFirstLevel(plan, *this, peak, firstLevel);
    c().setText("Edit3", text::generalText(peak));
    c().setText("Edit2", QStringLiteral("-") + text::generalText(peak));
    if (!convertVoltageLimits()) {
        return false;
    }
    iv::SweepOptions options = readOptions();
    options.firstLevel = firstLevel;
    if (state.sourceMeterModel != iv::kModel2636) {
        const auto range = iv::voltageRange(state.sourceMeterModel, peak);
        if (!range) {
            return false;
        }
        options.range = *range;
    }
    // Every repetition is committed into a slot of its own.
    if (form_.store().seriesCount + plan.repeatCount > series::SeriesStore::kMaxSeries) {
        form_.ui().showMessage(kStoreFull);
        return false;
    }
    iv::IvSweep sweep(form_.gpib(), form_.store(), state.segment, *this);
    sweep.runVoltageSweep(plan, options);
    if (sweep.storeFull()) {
        form_.ui().showMessage(kStoreFull);
    }
    return true;
}

bool StartController::resistanceRegime() {
    const auto resistance = iv::measureResistance(form_.gpib());
    if (!resistance) {
        return false;
    }
    c().setText("Edit1", text::defaultReal(*resistance));
    c().setText("Label1", QString::fromUtf8("[Ом]"));
    return true;
}

bool StartController::currentSweepRegime() {
    IvState& state = form_.ivState();
    if (!panel_.convertChartLimits() || !panel_.convertCompliances()) {
        return false;
    }
    iv::CurrentSweepSettings settings;
    settings.currentStart = state.currentMin;
    settings.currentEnd = state.currentMax;
    settings.voltageCompliance = state.voltageCompliance;
    return iv::runCurrentSweep(form_.gpib(), form_.store(), *this, settings);
}

bool StartController::manualRegime() {
    IvState& state = form_.ivState();
    if (!prepareSweepLimits()) {
        return false;
    }
    const iv::SweepPlan plan = state.voltagePlan;
    double peak = 0;
    double firstLevel = 0;
    iv::IvSweep::peakAndFirstLevel(plan, *this, peak, firstLevel);
    if (!convertVoltageLimits()) {
        return false;
    }
    if (state.sourceMeterModel != iv::kModel2400 && state.sourceMeterModel != iv::kModel2410) {
        return false;
    }
    const auto range = iv::voltageRange(state.sourceMeterModel, peak);
    if (!range) {
        return false;
    }
    iv::SweepOptions options = readOptions();
    options.firstLevel = firstLevel;
    manual_ = std::make_unique<iv::ManualRegime>(form_.gpib(), form_.store(), state.segment, *this);
    manual_->setUp(*range, options);
    iv::IvSweep sweep(form_.gpib(), form_.store(), state.segment, *this);
    if (options.holdAround) {
        sweep.holdLoop(plan.start[1]);
    }
    if (options.lcrUnderBias) {
        sweep.lcrUnderBias(plan.start[1]);
    }
    state.segment.segmentIndex = 1;
    panel_.ScrollBar1Change();
    const double start = state.manualVoltage;
    options.address = iv::kScpiAddress;
    sweep.runSegment(1, start, start + 1.0, plan.stepCount, options);
    manual_->finish(options, plan.start[1]);
    return true;
}

// A bar move records a point whenever a Start action runs with "By Manual" checked, also when
// the operator chose that regime in the middle of another one.
bool StartController::recordManualPoint() {
    if (!form_.ivState().actionRunning) {
        return true;
    }
    if (!manual_) {
        manual_ = std::make_unique<iv::ManualRegime>(form_.gpib(), form_.store(),
                                                     form_.ivState().segment, *this);
    }
    const bool drawn = manual_->recordBarPoint(form_.ivState().sourceMeterModel, readOptions());
    if (!drawn && form_.ivState().stopRequested) {
        c().setEnabled("Button1", true);
    }
    return drawn;
}

void StartController::reportProgress(const status::Progress& progress) {
    form_.status().publish(progress);
}

}  // namespace tarvix::shell
