// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ThermoController.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QThread>

#include "journal/RecoveryJournal.h"
#include "shell/FileActionTexts.h"
#include "shell/IvChartView.h"
#include "shell/TidyCsvMenu.h"
#include "text/ClockText.h"
#include "text/DecimalParse.h"
#include "thermo/ChartLimits.h"
#include "thermo/PanelChart.h"
#include "thermo/PanelControls.h"
#include "thermo/SampleReadouts.h"
#include "thermo/ThermoPanel.h"
#include "thermo/ThermoRecord.h"
#include "thermo/TidyRecordCsv.h"

namespace tarvix::shell {

namespace {

const QString kPanel1 = QStringLiteral("Panel1");
const QString kPanel4 = QStringLiteral("Panel4");
const QString kPanel5 = QStringLiteral("Panel5");
const QString kPanel6 = QStringLiteral("Panel6");
const QString kPeriodBar = QStringLiteral("ScrollBar9");
const QString kSaveEveryUpDown = QStringLiteral("UpDown1");

// Where the chart area stands beside the four-probe panel.
constexpr int kChartLeft = 56;
constexpr int kChartTop = 184;

// Timer1's interval in the design, before start-up sets it from ScrollBar9.
constexpr int kDesignTimerInterval = 5000;

// The save dialog of the .temp files. ".temp" is appended to whatever name is chosen, so the
// dialog offers every file rather than suggesting the extension twice.
const QString kSaveTitle = QStringLiteral("Save temperature data");
const QString kSaveFilter = QStringLiteral("All files (*.*)|*.*");

}  // namespace

ThermoController::ThermoController(TForm1& form)
    : PanelController(form),
      record_(std::make_unique<thermo::ThermoRecord>()),
      panel_(std::make_unique<thermo::ThermoPanel>(form.gpib(), *record_, *this)),
      timer1_(new QTimer(&form)) {
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kDesignTimerInterval);
}

ThermoController::~ThermoController() {
    timer1_->stop();
}

void ThermoController::wire() {
    wireButtons();
    wireSettings();
    wireTidyExport();
    QObject::connect(timer1_, &QTimer::timeout, &form_, [this] { panel_->Timer1Timer(); });
    QObject::connect(c().anyButton(QStringLiteral("RadioButton59")), &QAbstractButton::toggled,
                     &form_, [this](bool checked) {
                         if (checked) {
                             panel_->RadioButton59Click();
                         }
                     });
}

void ThermoController::wireButtons() {
    // The Start_d loop runs inside its click, so whether it will start is known before it:
    // it starts when the bus is there and free.
    QObject::connect(c().anyButton(thermo::controls::kStartDButton.toString()),
                     &QAbstractButton::clicked, &form_, [this] {
                         if (form_.busOwner().boardPresent() && !form_.busOwner().busy()) {
                             recordRestarted(thermo::TempFileKind::Thermocouple);
                         }
                     });
    const auto onClick = [this](const QString& button, void (thermo::ThermoPanel::*handler)()) {
        QObject::connect(c().anyButton(button), &QAbstractButton::clicked, &form_,
                         [this, handler] { (panel_.get()->*handler)(); });
    };
    using thermo::ThermoPanel;
    onClick(thermo::controls::kStartButton.toString(), &ThermoPanel::Button27Click);
    onClick(thermo::controls::kStopButton.toString(), &ThermoPanel::Button28Click);
    onClick(thermo::controls::kStartDButton.toString(), &ThermoPanel::Button30Click);
    onClick(QStringLiteral("Button23"), &ThermoPanel::Button23Click);
    onClick(QStringLiteral("Button29"), &ThermoPanel::Button29Click);
    onClick(QStringLiteral("Button31"), &ThermoPanel::Button31Click);
    QObject::connect(c().anyButton(QStringLiteral("Button25")), &QAbstractButton::clicked, &form_,
                     [this] { Button25Click(); });
    // A four-probe run starts the timer and returns; it started if it is running now.
    QObject::connect(c().anyButton(thermo::controls::kStartButton.toString()),
                     &QAbstractButton::clicked, &form_, [this] {
                         if (panel_->fourProbeRun().running()) {
                             recordRestarted(thermo::TempFileKind::FourProbe);
                         }
                     });
}

void ThermoController::wireTidyExport() {
    TidyCsvMenu::add(
        form_, QStringLiteral("ExportTidyRecordCsv"),
        QStringLiteral("Export four-probe record (CSV)..."),
        [this](const QString& path) { return exportTidyRecord(path); },
        [this] {
            return record_->thermoCount > 0 ? QString()
                                            : QStringLiteral("No four-probe sample was taken yet");
        });
}

void ThermoController::recordRestarted(thermo::TempFileKind kind) {
    recordKind_ = kind;
    recordDate_ = now().date();
}

bool ThermoController::mayDropUnsavedRecord(const QString& action) {
    if (!form_.journal().thermo().hasUnsaved()) {
        return true;
    }
    return form_.ui().ask(
        QStringLiteral("The four-probe panel holds a record that was never saved. %1 drops it. "
                       "Go on?")
            .arg(action));
}

void ThermoController::showPastRecord(thermo::ThermoRunKind kind, const QDate& measured) {
    showRecoveredRecord(kind, measured);
    QAbstractButton* mode = c().anyButton(QStringLiteral("RadioButton59"));
    {
        const QSignalBlocker blocker(mode);
        mode->setChecked(true);
    }
    panel_->RadioButton59Click();
}

void ThermoController::showRecoveredRecord(thermo::ThermoRunKind kind, const QDate& measured) {
    recordKind_ = kind == thermo::ThermoRunKind::Thermocouple ? thermo::TempFileKind::Thermocouple
                                                              : thermo::TempFileKind::FourProbe;
    recordDate_ = measured;
    showLastSample(kind);
}

// The read-outs the run left: those of its last sample, and for a four-probe run the time
// it was taken.
void ThermoController::showLastSample(thermo::ThermoRunKind kind) {
    const int last = record_->thermoCount;
    if (last < 1) {
        return;
    }
    if (kind == thermo::ThermoRunKind::Thermocouple) {
        thermo::showLoopSample(*this, *record_, last);
        return;
    }
    thermo::showFourProbeSample(*this, *record_, last);
    setText(thermo::controls::kSampleTimeLabel,
            text::longTimeText(
                text::timeFromDayFraction(record_->thermoTime[static_cast<std::size_t>(last)])));
}

int ThermoController::exportTidyRecord(const QString& path) {
    return thermo::writeTidyRecordCsv(
        path, recordKind_, *record_,
        TidyCsvMenu::heading(form_, QString(), recordDate_.toString(Qt::ISODate)));
}

void ThermoController::wireSettings() {
    QObject::connect(c().anyButton(thermo::controls::kUseLcrMeterCheck.toString()),
                     &QAbstractButton::toggled, &form_, [this] { panel_->CheckBox48Click(); });
    QObject::connect(c().scrollBar(kPeriodBar), &QScrollBar::valueChanged, &form_,
                     [this](int position) { panel_->ScrollBar9Change(position); });
    const auto onEdit = [this](QStringView edit, void (thermo::ThermoPanel::*handler)()) {
        QObject::connect(c().edit(edit.toString()), &QLineEdit::textChanged, &form_,
                         [this, handler] { (panel_.get()->*handler)(); });
    };
    onEdit(thermo::controls::kRMaxEdit, &thermo::ThermoPanel::Edit55Change);
    onEdit(thermo::controls::kTMinEdit, &thermo::ThermoPanel::Edit48Change);
    onEdit(thermo::controls::kTMaxEdit, &thermo::ThermoPanel::Edit62Change);
    QObject::connect(c().upDown(kSaveEveryUpDown), &QSpinBox::valueChanged, &form_,
                     [this](int position) { UpDown1Change(position); });
    QObject::connect(c().edit(thermo::controls::kSaveEveryEdit.toString()), &QLineEdit::textChanged,
                     &form_, [this] { Edit53Change(); });
}

void ThermoController::formCreate() {
    timer1_->stop();
    timer1_->setInterval(c().scrollBar(kPeriodBar)->value() * 1000);
    c().setEnabled(thermo::controls::kStopButton.toString(), false);
}

// Closing the window ends a four-probe run between samples, without waiting for the next
// tick; a sample in progress, Start_d and Termo see the stop themselves.
void ThermoController::closeRequested() {
    panel_->endRun();
}

void ThermoController::formClose() {
    panel_->endRun();
}

void ThermoController::Button25Click() {
    c().setVisible(kPanel1, true);
    c().setVisible(kPanel4, false);
}

void ThermoController::UpDown1Change(int position) {
    c().setText(thermo::controls::kSaveEveryEdit.toString(), QString::number(position));
}

// An up-down follows the number typed into its edit, so that its next step starts there;
// a text it cannot hold leaves it where it is (the save refuses such a text itself).
void ThermoController::Edit53Change() {
    const auto typed = text::parseInteger(text(thermo::controls::kSaveEveryEdit));
    QSpinBox* upDown = c().upDown(kSaveEveryUpDown);
    if (typed && *typed >= upDown->minimum() && *typed <= upDown->maximum()) {
        const QSignalBlocker blocker(upDown);
        upDown->setValue(*typed);
    }
}

QString ThermoController::text(QStringView control) const {
    return form_.controls().text(control.toString());
}

bool ThermoController::isChecked(QStringView control) const {
    return form_.controls().checked(control.toString());
}

void ThermoController::setText(QStringView control, const QString& text) {
    c().setText(control.toString(), text);
}

void ThermoController::setEnabled(QStringView control, bool enabled) {
    c().setEnabled(control.toString(), enabled);
}

void ThermoController::startTimer() {
    timer1_->start();
}

void ThermoController::stopTimer() {
    timer1_->stop();
}

void ThermoController::setTimerInterval(int milliseconds) {
    timer1_->setInterval(milliseconds);
}

bool ThermoController::stopRequested() const {
    return form_.ivState().stopRequested;
}

void ThermoController::setStopRequested(bool requested) {
    form_.ivState().stopRequested = requested;
}

void ThermoController::processEvents() {
    form_.letEventsRun();
}

void ThermoController::sleepMilliseconds(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

QDateTime ThermoController::now() const {
    return QDateTime::currentDateTime();
}

QImage& ThermoController::chartImage() {
    return form_.chart().ivBitmap();
}

void ThermoController::presentChart() {
    form_.chart().show();
    form_.chart().setPictureSource(
        [record = record_.get(), limits = thermo::readChartLimits(*this)](QImage& image) {
            thermo::drawTemperatureChart(image, limits, *record);
        });
}

void ThermoController::showFourProbePanel() {
    c().setVisible(kPanel1, false);
    c().setVisible(kPanel4, true);
    c().setVisible(kPanel6, false);
    c().moveTo(kPanel5, kChartLeft, kChartTop);
    c().setVisible(kPanel5, true);
}

void ThermoController::showMessage(const QString& message) {
    form_.ui().showMessage(message);
}

std::optional<bus::BusLease> ThermoController::acquireBus(const QString& procedure,
                                                          std::function<void()> shutdown) {
    return form_.acquireBus(procedure, std::move(shutdown));
}

std::optional<QString> ThermoController::askSaveFileName() {
    return form_.ui().saveFileName(kSaveTitle, kSaveFilter);
}

void ThermoController::recordFileSaved(thermo::TempFileKind kind, const QString& path) {
    form_.status().say(kind == thermo::TempFileKind::FourProbe
                           ? file_action_texts::savedFourProbeRecord(path)
                           : file_action_texts::savedThermocoupleRecord(path));
}

void ThermoController::reportProgress(const status::Progress& progress) {
    form_.status().publish(progress);
}

}  // namespace tarvix::shell
