// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TForm1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>

#include "journal/RecoveryJournal.h"
#include "shell/AnalysisController.h"
#include "shell/ApplicationTitle.h"
#include "shell/ButtonRefusals.h"
#include "shell/ControlTables.h"
#include "shell/ControlTips.h"
#include "shell/DatabaseLink.h"
#include "shell/HistoryController.h"
#include "shell/IvChartView.h"
#include "shell/IvPanelController.h"
#include "shell/IvtController.h"
#include "shell/LcrController.h"
#include "shell/MeasurementDescription.h"
#include "shell/ModeController.h"
#include "shell/ParametersFile.h"
#include "shell/PlotWindowController.h"
#include "shell/SeriesFilesController.h"
#include "shell/StartController.h"
#include "shell/StatusLine.h"
#include "shell/ThermoController.h"
#include "shell/WindowMenus.h"
#include "text/FileError.h"

namespace tarvix::shell {

namespace {

// The client area in which the controls sit at their design positions.
// It scrolls on a screen smaller than the design's 1570 x 952.
QWidget* makeFormArea(QMainWindow* window) {
    auto* scroll = new QScrollArea(window);
    auto* area = new QWidget(scroll);
    area->setObjectName(QStringLiteral("FormArea"));
    area->setFixedSize(1570, 930);
    scroll->setWidget(area);
    window->setCentralWidget(scroll);
    return area;
}

// Every button that starts something on the bus: all of them wait while a procedure holds it,
// and none is usable without a board.
constexpr std::array<const char*, 9> kBusButtons = {
    "Button1",   // I-V Start
    "Button20",  // 2636A test
    "Button21",  // Start 7600 (I-V panel)
    "Button23",  // Termo
    "Button27",  // four-probe Start
    "Button30",  // Start_d
    "Button32",  // 7600 Start
    "Button34",  // EXT OFF
    "Button35",  // EXT ON
};

}  // namespace

TForm1::TForm1(bus::GpibBus& gpib, UiServices& ui, FormOptions options)
    : gpib_(gpib), ui_(ui), options_(std::move(options)), controls_(makeFormArea(this)) {
    updateTitle();
    setObjectName(QStringLiteral("Form1"));
    resize(1570, 952);
    createControls();
    busOwner_.setOnChange([this] {
        updateBusButtons();
        closeWhenBusFree();
    });
    statusLine_ = std::make_unique<StatusLine>(*this, status_);
    refusals_ = new ButtonRefusals(*this);
    refusals_->watchButtons();
    menus_ = std::make_unique<WindowMenus>(*this);
    chart_ = std::make_unique<IvChartView>(*this);
    auto panel = std::make_unique<IvPanelController>(*this);
    ivPanel_ = panel.get();
    auto start = std::make_unique<StartController>(*this, *panel);
    start_ = start.get();
    controllers_.push_back(std::move(panel));
    controllers_.push_back(std::move(start));
    controllers_.push_back(std::make_unique<ModeController>(*this));
    auto files = std::make_unique<SeriesFilesController>(*this);
    auto thermo = std::make_unique<ThermoController>(*this);
    auto lcr = std::make_unique<LcrController>(*this);
    thermo_ = thermo.get();
    lcr_ = lcr.get();
    auto history = std::make_unique<HistoryController>(*this, *files, *thermo, *lcr);
    auto analysis = std::make_unique<AnalysisController>(*this);
    auto plot =
        std::make_unique<PlotWindowController>(*this, thermo->record(), lcr->sweep(), *analysis);
    controllers_.push_back(std::move(files));
    controllers_.push_back(std::move(analysis));
    controllers_.push_back(std::move(thermo));
    controllers_.push_back(std::move(lcr));
    controllers_.push_back(std::move(history));
    auto ivt = std::make_unique<IvtController>(*this);
    plot->offerCurve([ivt = ivt.get()] { return ivt->arrheniusOnView(); });
    controllers_.push_back(std::move(plot));
    controllers_.push_back(std::move(ivt));
    for (const auto& controller : controllers_) {
        controller->wire();
    }
    menus_->addQuit();
    FormCreate();
}

// The journal lets go of the store and the record before they go. A procedure still holding
// the bus ends with its controller; the window is no longer there to follow it.
TForm1::~TForm1() {
    journal_.reset();
    // After the journal wrote its last points: the server gets a last chance to take them.
    databaseLink_.reset();
    busOwner_.setOnChange({});
}

void TForm1::createControls() {
    controls_.create(topLevelControls());
    for (const auto& table : ivPanelControls()) {
        controls_.create(table);
    }
    controls_.create(fourProbePanelControls());
    controls_.create(lcrPanelControls());
    applyControlTips(controls_);
}

QMenu* TForm1::fileMenu() {
    return menus_->fileMenu();
}

void TForm1::letEventsRun() {
    QApplication::processEvents(QEventLoop::AllEvents);
}

void TForm1::sleepMs(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

void TForm1::placePanels() {
    controls_.moveTo(QStringLiteral("Panel1"), 0, 0);
    controls_.setVisible(QStringLiteral("Panel1"), true);
    controls_.setVisible(QStringLiteral("Panel6"), false);
    controls_.moveTo(QStringLiteral("Panel5"), 312, 184);
    controls_.setVisible(QStringLiteral("Panel5"), true);
    controls_.moveTo(QStringLiteral("Panel6"), 56, 56);
    controls_.moveTo(QStringLiteral("Panel4"), 56, 0);
    controls_.setVisible(QStringLiteral("Panel4"), false);
}

void TForm1::FormCreate() {
    controls_.listBox(QStringLiteral("ListBox1"))->clear();
    ivState_.sourceMeterModel = 0;
    busOwner_.setBoardPresent(start_->checkBoard());
    ivState_.stopRequested = true;
    ivState_.holdReleasePressed = false;
    controls_.setEnabled(QStringLiteral("Button33"),
                         controls_.checked(QStringLiteral("CheckBox49")));
    for (const auto& controller : controllers_) {
        controller->formCreate();
    }
    placePanels();
    chart_->setAnimationDelay(0);
    store_.seriesCount = 0;
    timeTable_.reset();
    store_.clearLive();
    openJournal();
    QStringList setAside;
    const int restoreError = ParametersFile::restore(options_.configDir, controls_, &setAside);
    if (restoreError != 0) {
        ui_.showMessage(text::fileErrorText(restoreError));
        return;
    }
    if (const QString message = ParametersFile::setAsideMessage(setAside); !message.isEmpty()) {
        ui_.showMessage(message);
    }
    ivPanel_->finishStartup();
}

// Unsaved series and records of an earlier session come back before the operator sees the
// window; they are reported once it is up.
void TForm1::openJournal() {
    journal_ = std::make_unique<journal::RecoveryJournal>(store_, thermo_->record());
    journal_->database().setDescriber(
        [this](const QString& kind) { return describeMeasurement(controls_, ivState_, kind); });
    const DatabaseChoice& choice = options_.database;
    const QString file =
        choice.none || !choice.file.isEmpty()
            ? choice.file
            : QDir(options_.configDir)
                  .filePath(QString::fromLatin1(journal::JournalDatabase::kFileName));
    QStringList messages = journal_->openFileAndRecover(
        file,
        journal::JournalAccess{std::move(options_.databaseLock), options_.readOnly, choice.named});
    const journal::JournalDatabase& db = journal_->database();
    databaseLink_ = std::make_unique<DatabaseLink>(
        *statusLine_, db.isReadable() ? db.path() : QString(), choice.server, db.isReadOnly());
    if (!db.isReadOnly()) {
        databaseLink_->follow(journal_->database().writes(), ui_);
    }
    journal_->series().setUnsavedChanged([this](bool) { updateTitle(); });
    updateTitle();
    if (const auto& record = journal_->recoveredRecord(); record.samples > 0) {
        thermo_->showRecoveredRecord(record.kind, record.started.date());
    }
    if (const QString sweep = lcr_->journalOpened(); !sweep.isEmpty()) {
        messages << sweep;
    }
    if (!messages.isEmpty()) {
        QTimer::singleShot(0, this, [this, messages] {
            for (const QString& message : messages) {
                ui_.showMessage(message);
            }
        });
    }
}

void TForm1::showSeriesFile(const QString& path) {
    seriesFile_ = path;
    updateTitle();
}

void TForm1::updateTitle() {
    const QString name = QFileInfo(seriesFile_).fileName();
    setWindowTitle(name.isEmpty() ? applicationTitle() + QStringLiteral("[*]")
                                  : QStringLiteral("%1 - %2[*]").arg(applicationTitle(), name));
    setWindowModified(journal_ && journal_->series().hasUnsaved());
}

QString TForm1::shownTitle() const {
    QString title = windowTitle();
    title.replace(QStringLiteral("[*]"), isWindowModified() ? QStringLiteral("*") : QString());
    return title;
}

bool TForm1::mayDropUnsavedSeries(const QString& action) {
    if (!journal_ || !journal_->series().hasUnsaved()) {
        return true;
    }
    return ui_.ask(QStringLiteral("The store holds series that were never saved. %1 drops "
                                  "them. Go on?")
                       .arg(action));
}

void TForm1::FormClose() {
    if (closed_) {
        return;
    }
    closed_ = true;
    for (const auto& controller : controllers_) {
        controller->formClose();
    }
    const int error = ParametersFile::save(options_.configDir, controls_);
    if (error != 0) {
        ui_.showMessage(
            QStringLiteral("The settings could not be saved to %1: %2")
                .arg(ParametersFile::path(options_.configDir), text::fileErrorText(error)));
    }
}

bool TForm1::startsOnTheBus(const QString& name) {
    return std::any_of(kBusButtons.begin(), kBusButtons.end(),
                       [&name](const char* button) { return name == QLatin1String(button); });
}

std::optional<bus::BusLease> TForm1::acquireBus(const QString& procedure,
                                                std::function<void()> shutdown) {
    if (readOnly()) {
        ui_.showMessage(ButtonRefusals::readOnlyReason(procedure));
        return std::nullopt;
    }
    QString refusal;
    auto lease = busOwner_.acquire(procedure, &refusal, std::move(shutdown));
    if (!lease) {
        ui_.showMessage(refusal);
    }
    return lease;
}

void TForm1::updateBusButtons() {
    const bool free = busOwner_.boardPresent() && !busOwner_.busy() && !readOnly();
    for (const char* name : kBusButtons) {
        controls_.setEnabled(QString::fromLatin1(name), free);
    }
}

// The close waited for the procedure to give the bus back; it goes on as soon as the bus is
// free (the procedure only returns from there).
void TForm1::closeWhenBusFree() {
    if (closeWhenFree_ && !busOwner_.busy()) {
        closeWhenFree_ = false;
        close();
    }
}

// Closing while a procedure holds the bus asks it to end; it switches its source off on the
// way out, gives the bus back, and then the window closes.
void TForm1::closeEvent(QCloseEvent* event) {
    // A running animation draws its remaining points without pausing and returns.
    chart_->setAnimationDelay(0);
    if (ivState_.actionRunning || busOwner_.busy()) {
        ivState_.stopRequested = true;
        ivState_.closeRequested = ivState_.actionRunning;
        closeWhenFree_ = true;
        busOwner_.requestEnd();
        for (const auto& controller : controllers_) {
            controller->closeRequested();
        }
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

}  // namespace tarvix::shell
