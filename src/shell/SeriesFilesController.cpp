// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SeriesFilesController.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QPushButton>
#include <array>
#include <utility>

#include "journal/RecoveryJournal.h"
#include "series/ExportCorrections.h"
#include "series/KtlFileName.h"
#include "series/KtlFileStoreSteps.h"
#include "series/KtlFileWriter.h"
#include "series/OriginExport.h"
#include "series/TidySeriesCsv.h"
#include "series/TimeFile.h"
#include "shell/FileActionTexts.h"
#include "shell/IvChartView.h"
#include "shell/SeriesFileOpening.h"
#include "shell/TidyCsvMenu.h"
#include "text/ClockText.h"
#include "text/FileError.h"

namespace tarvix::shell {

namespace {

using series::SeriesStore;

const QString kNothingStored = QStringLiteral("No rezalt");
const QString kSaveTitle = QStringLiteral("Результаты Keithley 2410");
const QString kKtlFilter = QStringLiteral("Keithley (*.ktl)|*.ktl");
const QString kNothingToExport =
    QStringLiteral("There are no stored series to export; no file was written.");
const QString kExportNotice = QStringLiteral("Saving file for import to Origin as ASC");
const QString kExportTitle = QStringLiteral("Export for Origin");
const QString kExportExtension = QStringLiteral(".ktl_o");
const QString kExportFilter = QStringLiteral("Origin ASCII (*.ktl_o)|*.ktl_o");
const QString kTimeTitle = QStringLiteral("Временная зависимость Keithley 2410");
const QString kTimeFilter = QStringLiteral("Keithley (*.ktlt)|*.ktlt");

// The options whose toggling recomputes the corrections; the resistor buttons count only
// when they become checked, so a switch between two of them runs the handler once.
constexpr std::array<const char*, 3> kExportBoxes = {"CheckBox50", "CheckBox51", "CheckBox52"};
constexpr std::array<std::pair<const char*, series::SeriesResistor>, 5> kResistorButtons = {{
    {"RadioButton83", series::SeriesResistor::None},
    {"RadioButton84", series::SeriesResistor::R1K},
    {"RadioButton85", series::SeriesResistor::R10K},
    {"RadioButton87", series::SeriesResistor::R100K},
    {"RadioButton86", series::SeriesResistor::R1M},
}};

constexpr std::array<std::pair<const char*, int>, 3> kAnimationSpeeds = {{
    {"RadioButton8", 15},
    {"RadioButton9", 30},
    {"RadioButton10", 90},
}};

QString name(const char* text) {
    return QString::fromLatin1(text);
}

}  // namespace

SeriesFilesController::SeriesFilesController(TForm1& form)
    : PanelController(form), opening_(std::make_unique<SeriesFileOpening>(form, *this)) {}
SeriesFilesController::~SeriesFilesController() = default;

QString SeriesFilesController::seriesFileFilter() {
    return kKtlFilter;
}

void SeriesFilesController::Button3Click() {
    opening_->Button3Click();
}

void SeriesFilesController::Label15Click() {
    opening_->Label15Click();
}

void SeriesFilesController::wire() {
    const std::array<std::pair<const char*, void (SeriesFilesController::*)()>, 5> buttons = {{
        {"Button5", &SeriesFilesController::Button5Click},
        {"Button4", &SeriesFilesController::Button4Click},
        {"Button36", &SeriesFilesController::Button36Click},
        {"Button6", &SeriesFilesController::Button6Click},
        {"Button7", &SeriesFilesController::Button7Click},
    }};
    for (const auto& [button, handler] : buttons) {
        QObject::connect(c().button(name(button)), &QPushButton::clicked, &form_,
                         [this, handler = handler] { (this->*handler)(); });
    }
    opening_->wire();
    wireExportOptions();
    TidyCsvMenu::add(form_, QStringLiteral("ExportTidyCsv"),
                     QStringLiteral("Export tidy table (CSV)..."),
                     [this](const QString& path) { return exportTidyTable(path); });
}

void SeriesFilesController::wireExportOptions() {
    for (const char* box : kExportBoxes) {
        QObject::connect(c().anyButton(name(box)), &QAbstractButton::toggled, &form_,
                         [this](bool) { CheckBox50Click(); });
    }
    for (const auto& [radio, resistor] : kResistorButtons) {
        (void)resistor;
        QObject::connect(c().anyButton(name(radio)), &QAbstractButton::toggled, &form_,
                         [this](bool checked) {
                             if (checked) {
                                 CheckBox50Click();
                             }
                         });
    }
}

// Saving, opening or deleting in the middle of a sweep would move the series counter and
// clear the live layer under the running acquisition, or between the sweeps of a procedure
// that labels its series as they come; the press says so in the status line.
bool SeriesFilesController::refusedWhileMeasuring(const char* control) {
    if (!form_.ivState().actionRunning && !form_.ivState().sweepProcedureRunning) {
        return false;
    }
    form_.status().say(file_action_texts::busy(c().text(name(control))));
    return true;
}

void SeriesFilesController::Button5Click() {
    if (refusedWhileMeasuring("Button5")) {
        return;
    }
    SeriesStore& store = form_.store();
    const bool anythingStored = series::prepareStoreForSave(store);
    IvState& state = form_.ivState();
    state.openedSeriesProtected =
        state.openedSeriesProtected && series::slotHoldsData(store, store.seriesCount);
    form_.chart().drawIvChart();
    if (!anythingStored) {
        form_.ui().showMessage(kNothingStored);
        return;
    }
    const auto chosen = form_.ui().saveFileName(kSaveTitle, kKtlFilter);
    if (!chosen) {
        return;
    }
    saveRaw(series::ktlSaveName(*chosen));
}

// The file keeps what was measured: corrections ticked on the export panel are taken off for
// the write and put back on the chart afterwards.
void SeriesFilesController::saveRaw(const QString& path) {
    SeriesStore& store = form_.store();
    const series::ExportOptions options = exportOptions();
    const bool corrected = options.absoluteCurrent || options.drift || options.denoise ||
                           options.resistor != series::SeriesResistor::None;
    if (corrected) {
        baseline_.takeNewSeries(store);
        store.restoreStored();
    }
    const series::KtlHeader header =
        series::ktlHeaderAt(c().text(QStringLiteral("Edit44")), QDateTime::currentDateTime());
    const int error = series::saveKtlFile(path, store, header);
    if (corrected) {
        series::applyExportCorrections(store, options);
        form_.chart().drawIvChart();
    }
    baseline_.synced(store);
    if (error != text::kFileOk) {
        form_.ui().showMessage(text::fileErrorText(error));
        return;
    }
    form_.journal().series().settleAll(journal::Settlement::Saved, path);
    form_.status().say(file_action_texts::saved(path, file_action_texts::seriesHeld(store)));
    takeFile(path, header.date);
    c().setText(QStringLiteral("Label5"), header.date);
    c().setText(QStringLiteral("Label43"), header.time);
}

void SeriesFilesController::takeFile(const QString& path, const QString& date) {
    currentFilePath_ = path;
    c().setText(QStringLiteral("Label15"), path);
    form_.showSeriesFile(path);
    seriesDate_ = date;
}

void SeriesFilesController::showDatabaseSeries(const QDateTime& measured) {
    currentFilePath_.clear();
    seriesDate_ = text::shortDateText(measured.date());
    baseline_.synced(form_.store());
    c().setText(QStringLiteral("Label15"), QStringLiteral("///"));
    c().setText(QStringLiteral("Label5"), seriesDate_);
    c().setText(QStringLiteral("Label43"), text::longTimeText(measured.time()));
    form_.showSeriesFile(QString());
}

void SeriesFilesController::Button4Click() {
    if (refusedWhileMeasuring("Button4") || !form_.mayDropUnsavedSeries(QStringLiteral("Delete"))) {
        return;
    }
    series::deleteStoredSeries(form_.store());
    form_.journal().series().settleStored(journal::Settlement::Deleted);
    form_.ivState().openedSeriesProtected = false;
    baseline_.invalidate();
    c().setText(QStringLiteral("Label45"), QStringLiteral("[]"));
    c().setText(QStringLiteral("Label5"), QStringLiteral("DATE"));
    c().setText(QStringLiteral("Label15"), QStringLiteral("///"));
    c().setText(QStringLiteral("Label43"), QStringLiteral("TIME"));
    form_.showSeriesFile(QString());
    form_.chart().drawIvChart();
    form_.letEventsRun();
}

series::ExportOptions SeriesFilesController::exportOptions() {
    series::ExportOptions options;
    options.absoluteCurrent = c().checked(QStringLiteral("CheckBox50"));
    options.drift = c().checked(QStringLiteral("CheckBox51"));
    options.denoise = c().checked(QStringLiteral("CheckBox52"));
    for (const auto& [radio, resistor] : kResistorButtons) {
        if (c().checked(name(radio))) {
            options.resistor = resistor;
        }
    }
    return options;
}

void SeriesFilesController::CheckBox50Click() {
    SeriesStore& store = form_.store();
    baseline_.takeNewSeries(store);
    series::applyExportCorrections(store, exportOptions());
    baseline_.synced(store);
    form_.chart().drawIvChart();
}

// With corrections ticked, the tables are corrected again first: a series measured since the
// last option change joins the copies (the measured values) and gets its corrected ones.
int SeriesFilesController::exportTidyTable(const QString& path) {
    const series::ExportOptions options = exportOptions();
    if (options.drift || options.denoise || options.absoluteCurrent ||
        options.resistor != series::SeriesResistor::None) {
        CheckBox50Click();
    }
    return series::writeTidySeriesCsv(path, form_.store(), options,
                                      TidyCsvMenu::heading(form_, currentFilePath_, seriesDate_));
}

// Before any series file was opened or saved there is no name to derive the export's from;
// the operator names it, and the option suffixes follow that name as they would a file's.
void SeriesFilesController::Button36Click() {
    form_.ui().showMessage(kExportNotice);
    if (form_.store().storedSegmentCount() == 0) {
        form_.ui().showMessage(kNothingToExport);
        return;
    }
    const series::ExportOptions options = exportOptions();
    QString path = series::originExportPath(currentFilePath_, options);
    if (path.isEmpty()) {
        const auto chosen = form_.ui().saveFileName(kExportTitle, kExportFilter);
        if (!chosen) {
            return;
        }
        QString base = *chosen;
        if (base.endsWith(kExportExtension)) {
            base.chop(kExportExtension.size());
        }
        path = series::originExportPath(base, options);
        if (path.isEmpty()) {
            return;
        }
    }
    const int error = series::writeOriginExport(path, form_.store(), seriesDate_);
    if (error != text::kFileOk) {
        form_.ui().showMessage(text::fileErrorText(error));
        return;
    }
    form_.journal().series().recordExport(path);
    form_.status().say(
        file_action_texts::exported(path, file_action_texts::seriesHeld(form_.store())));
}

int SeriesFilesController::animationDelayFromSpeed() {
    for (const auto& [radio, delay] : kAnimationSpeeds) {
        if (c().checked(name(radio))) {
            return delay;
        }
    }
    return kAnimationSpeeds.front().second;
}

// A finished run still in the live layer is stored before the replay, in the slot it belongs
// to; its labels stay as they were. The counter cannot pass the last slot.
void SeriesFilesController::commitLiveForAnimation() {
    SeriesStore& store = form_.store();
    if (store.seriesCount == 0 || store.liveSegmentCount() == 0) {
        return;
    }
    IvState& state = form_.ivState();
    if (state.openedSeriesProtected && !series::moveOffOpenedSeries(store)) {
        return;
    }
    state.openedSeriesProtected = false;
    if (store.commitLivePoints(store.seriesCount) && store.seriesCount < SeriesStore::kMaxSeries) {
        store.seriesCount += 1;
    }
}

void SeriesFilesController::setAnimationControlsEnabled(bool enabled) {
    for (const char* control : {"Button6", "ScrollBar1", "ScrollBar2"}) {
        c().setEnabled(name(control), enabled);
    }
}

void SeriesFilesController::Button6Click() {
    if (animating_ || refusedWhileMeasuring("Button6")) {
        return;
    }
    animating_ = true;
    setAnimationControlsEnabled(false);
    const int delay = animationDelayFromSpeed();
    commitLiveForAnimation();
    form_.store().clearLive();
    form_.chart().setAnimationDelay(delay);
    form_.chart().drawIvChart();
    // Handlers that ran during the pauses (an open, a delete, an option) drew their own
    // pictures, which the replay's final picture covered; show the store as it is now.
    form_.chart().drawIvChart();
    setAnimationControlsEnabled(true);
    animating_ = false;
}

void SeriesFilesController::Button7Click() {
    const auto chosen = form_.ui().saveFileName(kTimeTitle, kTimeFilter);
    if (!chosen) {
        return;
    }
    const int error = series::writeTimeFile(*chosen, form_.timeTable());
    if (error != text::kFileOk) {
        form_.ui().showMessage(text::fileErrorText(error));
        return;
    }
    form_.status().say(file_action_texts::savedTimeDependence(*chosen));
}

}  // namespace tarvix::shell
