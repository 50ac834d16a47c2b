#include "shell/SeriesFilesController.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <array>
#include <utility>

#include "journal/RecoveryJournal.h"
#include "series/ExportCorrections.h"
#include "series/KtlFileName.h"
#include "series/KtlFileReader.h"
#include "series/KtlFileStoreSteps.h"
#include "series/KtlFileWriter.h"
#include "series/OriginExport.h"
#include "series/TidySeriesCsv.h"
#include "series/TimeFile.h"
#include "shell/FileActionTexts.h"
#include "shell/IvChartView.h"
#include "shell/IvPanelController.h"
#include "shell/TidyCsvMenu.h"
#include "shell/Widgets.h"
#include "text/ClockText.h"
#include "text/FileError.h"

namespace tarvix::shell {

namespace {

using series::SeriesStore;

const QString kNothingStored = QStringLiteral("No rezalt");
const QString kSaveTitle = QStringLiteral("Результаты Keithley 2410");
const QString kOpenTitle = QStringLiteral("Open ktl file");
const QString kKtlFilter = QStringLiteral("Keithley (*.ktl)|*.ktl");
const QString kNothingToExport =
    QStringLiteral("There are no stored series to export; no file was written.");
const QString kExportNotice = QStringLiteral("Saving file for import to Origin as ASC");
const QString kExportTitle = QStringLiteral("Export for Origin");
const QString kExportExtension = QStringLiteral(".ktl_o");
const QString kExportFilter = QStringLiteral("Origin ASCII (*.ktl_o)|*.ktl_o");
const QString kTimeTitle = QStringLiteral("Временная зависимость Keithley 2410");
const QString kTimeFilter = QStringLiteral("Keithley (*.ktlt)|*.ktlt");

// The chart's ranges after an open leave a margin around the points.
constexpr double kOpenMargin = 1.1;

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

// What an open shows of its file, and a cancelled preview puts back.
constexpr std::array<const char*, 6> kShownTexts = {"Edit44",  "Label5",  "Label43",
                                                    "Label15", "Label23", "Label24"};

}  // namespace

SeriesFilesController::SeriesFilesController(TForm1& form) : PanelController(form) {}
SeriesFilesController::~SeriesFilesController() = default;

void SeriesFilesController::wire() {
    const std::array<std::pair<const char*, void (SeriesFilesController::*)()>, 6> buttons = {{
        {"Button5", &SeriesFilesController::Button5Click},
        {"Button3", &SeriesFilesController::Button3Click},
        {"Button4", &SeriesFilesController::Button4Click},
        {"Button36", &SeriesFilesController::Button36Click},
        {"Button6", &SeriesFilesController::Button6Click},
        {"Button7", &SeriesFilesController::Button7Click},
    }};
    for (const auto& [button, handler] : buttons) {
        QObject::connect(c().button(name(button)), &QPushButton::clicked, &form_,
                         [this, handler = handler] { (this->*handler)(); });
    }
    QObject::connect(c().label(QStringLiteral("Label15")), &ClickableLabel::clicked, &form_,
                     [this] { Label15Click(); });
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
// clear the live layer under the running acquisition; the press says so in the status line.
bool SeriesFilesController::refusedWhileMeasuring(const char* control) {
    if (!form_.ivState().actionRunning) {
        return false;
    }
    form_.status().say(file_action_texts::busy(c().text(name(control))));
    return true;
}

bool SeriesFilesController::reportRead(const series::KtlReadResult& result) {
    if (result.error != text::kFileOk) {
        form_.ui().showMessage(text::fileErrorText(result.error));
    }
    if (!result.limitMessage.isEmpty()) {
        form_.ui().showMessage(result.limitMessage);
    }
    return result.error == text::kFileOk;
}

// The reader grows the ranges from 0 over the points read.
void SeriesFilesController::takeRanges(const series::KtlReadResult& result, double factor) {
    IvState& state = form_.ivState();
    state.currentMin = result.currentMin * factor;
    state.currentMax = result.currentMax * factor;
    state.voltageMin = result.voltageMin * factor;
    state.voltageMax = result.voltageMax * factor;
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
    currentFilePath_ = path;
    c().setText(QStringLiteral("Label15"), path);
    form_.showSeriesFile(path);
    seriesDate_ = header.date;
    c().setText(QStringLiteral("Label5"), header.date);
    c().setText(QStringLiteral("Label43"), header.time);
}

std::unique_ptr<SeriesStore> SeriesFilesController::readAndSwap(const QString& path,
                                                                series::KtlReadResult& result,
                                                                std::vector<QString>* fileLabels) {
    auto fresh = std::make_unique<SeriesStore>();
    result = series::readKtlFile(path, *fresh, series::KtlLabels::Take);
    if (!reportRead(result)) {
        return nullptr;
    }
    if (fileLabels) {
        *fileLabels = fresh->segmentLabelTable();
        fresh->copyLabelsFrom(form_.store());  // the preview leaves the labels as they are
    }
    form_.store().swapContents(*fresh);
    form_.ivState().openedSeriesProtected = result.lastSeriesHoldsData;
    return fresh;
}

// The store holds what the preview read, unless anything changed it or the file since.
std::unique_ptr<SeriesStore> SeriesFilesController::openPreviewed(const QString& path,
                                                                  series::KtlReadResult& result) {
    std::optional<PreviewedFile> previewed = std::exchange(previewed_, std::nullopt);
    const QFileInfo file(path);
    SeriesStore& store = form_.store();
    if (!previewed || !beforePreview_ || previewed->path != path ||
        previewed->size != file.size() || previewed->modified != file.lastModified() ||
        previewed->storeRevision != store.storedRevision()) {
        return nullptr;
    }
    store.setSegmentLabelTable(previewed->labels);
    store.clearLiveLabels();  // as in a store read afresh
    form_.ivState().openedSeriesProtected = previewed->result.lastSeriesHoldsData;
    result = std::move(previewed->result);
    return std::move(beforePreview_);
}

SeriesFilesController::ShownFile SeriesFilesController::shownFile() {
    ShownFile shown;
    for (const char* name : kShownTexts) {
        shown.texts << c().text(QString::fromLatin1(name));
    }
    shown.manualBar = c().scrollBar(QStringLiteral("ScrollBar1"))->value();
    shown.cursorBar = c().scrollBar(QStringLiteral("ScrollBar2"))->value();
    shown.state = form_.ivState();
    shown.animationDelay = form_.chart().animationDelay();
    shown.baseline = baseline_;
    return shown;
}

void SeriesFilesController::showFile(const ShownFile& shown) {
    for (std::size_t i = 0; i < kShownTexts.size(); ++i) {
        c().setText(QString::fromLatin1(kShownTexts[i]), shown.texts[static_cast<qsizetype>(i)]);
    }
    const QSignalBlocker blockCursor(c().scrollBar(QStringLiteral("ScrollBar2")));
    const QSignalBlocker blockManual(c().scrollBar(QStringLiteral("ScrollBar1")));
    c().scrollBar(QStringLiteral("ScrollBar1"))->setValue(shown.manualBar);
    c().scrollBar(QStringLiteral("ScrollBar2"))->setValue(shown.cursorBar);
    form_.ivState() = shown.state;
    form_.chart().setAnimationDelay(shown.animationDelay);
    baseline_ = shown.baseline;
}

void SeriesFilesController::Button3Click() {
    if (refusedWhileMeasuring("Button3") ||
        !form_.mayDropUnsavedSeries(QStringLiteral("Opening a file"))) {
        return;
    }
    shownBeforePreview_ = shownFile();
    inOpenDialog_ = true;
    const auto chosen = form_.ui().openFileName(
        kOpenTitle, kKtlFilter, [this](const QString& path) { previewInDialog(path); });
    inOpenDialog_ = false;
    series::KtlReadResult result;
    std::unique_ptr<SeriesStore> before;
    if (chosen) {
        before = openPreviewed(*chosen, result);
        if (!before) {
            before = readAndSwap(*chosen, result);
        }
    }
    previewed_.reset();
    // A cancel or a file that could not be read leaves everything as it was.
    endPreview(before != nullptr);
    if (!before) {
        form_.chart().drawIvChart();
        return;
    }
    form_.journal().series().settleAll(journal::Settlement::Replaced);
    SeriesStore& store = form_.store();
    store.snapshotStored();
    baseline_.synced(store);
    // The ranges first, so that the correction's drawing below already has them and the
    // stored layer is drawn once.
    takeRanges(result, kOpenMargin);
    // The options still ticked apply to the new data, so the chart and the export's name
    // tell the same story.
    c().anyButton(QStringLiteral("CheckBox50"))->setChecked(false);
    CheckBox50Click();
    form_.chart().setAnimationDelay(0);
    c().setText(QStringLiteral("Edit46"), QStringLiteral("1"));
    c().setText(QStringLiteral("Edit47"), QStringLiteral("1"));
    currentFilePath_ = *chosen;
    c().setText(QStringLiteral("Label15"), currentFilePath_);
    form_.showSeriesFile(currentFilePath_);
    c().setText(QStringLiteral("Edit44"), result.comment);
    seriesDate_ = result.date;
    form_.status().say(
        file_action_texts::read(currentFilePath_, file_action_texts::seriesHeld(store)));
    form_.ivPanel().ScrollBar2Change();
    form_.chart().drawIvChart();
    form_.letEventsRun();
}

void SeriesFilesController::endPreview(bool keep) {
    if (!keep) {
        if (beforePreview_) {
            form_.store().swapContents(*beforePreview_);
        }
        showFile(shownBeforePreview_);
    }
    beforePreview_.reset();
}

// While the open dialog is shown every highlighted file is drawn; the store from before the
// dialog is kept aside until the dialog ends.
void SeriesFilesController::previewInDialog(const QString& path) {
    c().setText(QStringLiteral("Label15"), path);
    if (!series::isKtlName(path) || !QFileInfo(path).isFile()) {
        return;
    }
    series::KtlReadResult result;
    std::vector<QString> fileLabels;
    std::unique_ptr<SeriesStore> replaced = readAndSwap(path, result, &fileLabels);
    if (!replaced) {
        previewed_.reset();
        form_.chart().drawIvChart();
        return;
    }
    if (!beforePreview_) {
        beforePreview_ = std::move(replaced);
    }
    const QFileInfo file(path);
    previewed_ = PreviewedFile{
        path,   file.size(),          file.lastModified(), form_.store().storedRevision(),
        result, std::move(fileLabels)};
    showReload(result);
}

void SeriesFilesController::Label15Click() {
    if (refusedWhileMeasuring("Label15")) {
        return;
    }
    const QString path = form_.ui().openDialogCurrentFile();
    if (inOpenDialog_) {
        previewInDialog(path);
        return;
    }
    const QString shownName = c().text(QStringLiteral("Label15"));
    c().setText(QStringLiteral("Label15"), path);
    if (!series::isKtlName(path) || !QFileInfo(path).isFile()) {
        return;
    }
    series::KtlReadResult result;
    std::vector<QString> fileLabels;  // a reload leaves the labels as they are
    if (!form_.mayDropUnsavedSeries(QStringLiteral("Reloading the file")) ||
        !readAndSwap(path, result, &fileLabels)) {
        c().setText(QStringLiteral("Label15"), shownName);
        return;
    }
    form_.journal().series().settleAll(journal::Settlement::Replaced);
    showReload(result);
}

void SeriesFilesController::showReload(const series::KtlReadResult& result) {
    c().setText(QStringLiteral("Edit44"), result.comment);
    c().setText(QStringLiteral("Label5"), result.date);
    c().setText(QStringLiteral("Label43"), result.time);
    baseline_.invalidate();
    takeRanges(result, kOpenMargin);
    form_.chart().setAnimationDelay(0);
    {
        // Both voltages are recomputed below even when a bar already stands at the end.
        const QSignalBlocker blockCursor(c().scrollBar(QStringLiteral("ScrollBar2")));
        const QSignalBlocker blockManual(c().scrollBar(QStringLiteral("ScrollBar1")));
        c().scrollBar(QStringLiteral("ScrollBar2"))->setValue(10000);
        c().scrollBar(QStringLiteral("ScrollBar1"))->setValue(10000);
    }
    form_.ivPanel().ScrollBar1Change();
    form_.ivPanel().ScrollBar2Change();
    form_.chart().drawIvChart();
    form_.letEventsRun();
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
