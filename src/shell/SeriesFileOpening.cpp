// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SeriesFileOpening.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <array>
#include <utility>

#include "journal/RecoveryJournal.h"
#include "series/KtlFileName.h"
#include "series/SeriesStore.h"
#include "shell/FileActionTexts.h"
#include "shell/IvChartView.h"
#include "shell/IvPanelController.h"
#include "shell/SeriesFilesController.h"
#include "shell/Widgets.h"
#include "text/FileError.h"

namespace tarvix::shell {

namespace {

using series::SeriesStore;

const QString kOpenTitle = QStringLiteral("Open ktl file");

// The chart's ranges after an open leave a margin around the points.
constexpr double kOpenMargin = 1.1;

// What an open shows of its file, and a cancelled preview puts back.
constexpr std::array<const char*, 6> kShownTexts = {"Edit44",  "Label5",  "Label43",
                                                    "Label15", "Label23", "Label24"};

bool sameFile(const QFileInfo& file, qint64 size, const QDateTime& modified) {
    return file.size() == size && file.lastModified() == modified;
}

}  // namespace

SeriesFileOpening::SeriesFileOpening(TForm1& form, SeriesFilesController& files)
    : PanelController(form), files_(files) {}
SeriesFileOpening::~SeriesFileOpening() = default;

void SeriesFileOpening::wire() {
    QObject::connect(c().button(QStringLiteral("Button3")), &QPushButton::clicked, &form_,
                     [this] { Button3Click(); });
    QObject::connect(c().label(QStringLiteral("Label15")), &ClickableLabel::clicked, &form_,
                     [this] { Label15Click(); });
}

bool SeriesFileOpening::told(const QString& path, const series::KtlReadResult& result) {
    if (result.error != text::kFileOk) {
        form_.ui().showMessage(text::fileErrorText(result.error));
        return true;
    }
    if (!result.notSeriesReason.isEmpty()) {
        form_.ui().showMessage(file_action_texts::notSeriesFile(path, result.notSeriesReason));
        return true;
    }
    if (!result.limitMessage.isEmpty()) {
        form_.ui().showMessage(result.limitMessage);
    }
    return false;
}

std::unique_ptr<SeriesStore> SeriesFileOpening::readWhole(const QString& path,
                                                          series::KtlReadResult& result) {
    auto fresh = std::make_unique<SeriesStore>();
    result = series::readKtlFile(path, *fresh, series::KtlLabels::Take);
    return told(path, result) ? nullptr : std::move(fresh);
}

// The reader grows the ranges from 0 over the points read.
void SeriesFileOpening::takeRanges(const series::KtlReadResult& result, double factor) {
    IvState& state = form_.ivState();
    state.currentMin = result.currentMin * factor;
    state.currentMax = result.currentMax * factor;
    state.voltageMin = result.voltageMin * factor;
    state.voltageMax = result.voltageMax * factor;
}

// The preview's reading stands while neither the file nor the store changed since.
std::optional<SeriesFileOpening::PreviewedFile> SeriesFileOpening::previewOf(const QString& path) {
    std::optional<PreviewedFile> previewed = std::exchange(previewed_, std::nullopt);
    if (!previewed || previewed->path != path ||
        !sameFile(QFileInfo(path), previewed->size, previewed->modified)) {
        return std::nullopt;
    }
    if (!previewed->refused &&
        (!beforePreview_ || previewed->storeRevision != form_.store().storedRevision())) {
        return std::nullopt;
    }
    return previewed;
}

// The question comes once the file is known to be a series file, with the preview (if any)
// showing it; No, like a refusal, leaves the store from before the dialog to be put back.
bool SeriesFileOpening::open(const QString& path, series::KtlReadResult& result) {
    std::optional<PreviewedFile> previewed = previewOf(path);
    std::unique_ptr<SeriesStore> fresh;
    if (previewed) {
        if (previewed->refused) {
            return false;  // the preview told why
        }
        result = std::move(previewed->result);
    } else if (fresh = readWhole(path, result); !fresh) {
        return false;
    }
    if (!form_.mayDropUnsavedSeries(QStringLiteral("Opening a file"))) {
        return false;
    }
    SeriesStore& store = form_.store();
    if (fresh) {
        store.swapContents(*fresh);
    } else {
        store.setSegmentLabelTable(previewed->labels);
        store.clearLiveLabels();  // as in a store read afresh
    }
    form_.ivState().openedSeriesProtected = result.lastSeriesHoldsData;
    return true;
}

SeriesFileOpening::ShownFile SeriesFileOpening::shownFile() {
    ShownFile shown;
    for (const char* name : kShownTexts) {
        shown.texts << c().text(QString::fromLatin1(name));
    }
    shown.manualBar = c().scrollBar(QStringLiteral("ScrollBar1"))->value();
    shown.cursorBar = c().scrollBar(QStringLiteral("ScrollBar2"))->value();
    shown.state = form_.ivState();
    shown.animationDelay = form_.chart().animationDelay();
    shown.baseline = files_.baseline();
    return shown;
}

void SeriesFileOpening::showFile(const ShownFile& shown) {
    for (std::size_t i = 0; i < kShownTexts.size(); ++i) {
        c().setText(QString::fromLatin1(kShownTexts[i]), shown.texts[static_cast<qsizetype>(i)]);
    }
    const QSignalBlocker blockCursor(c().scrollBar(QStringLiteral("ScrollBar2")));
    const QSignalBlocker blockManual(c().scrollBar(QStringLiteral("ScrollBar1")));
    c().scrollBar(QStringLiteral("ScrollBar1"))->setValue(shown.manualBar);
    c().scrollBar(QStringLiteral("ScrollBar2"))->setValue(shown.cursorBar);
    form_.ivState() = shown.state;
    form_.chart().setAnimationDelay(shown.animationDelay);
    files_.baseline() = shown.baseline;
}

void SeriesFileOpening::Button3Click() {
    if (files_.refusedWhileMeasuring("Button3")) {
        return;
    }
    shownBeforePreview_ = shownFile();
    inOpenDialog_ = true;
    const auto chosen =
        form_.ui().openFileName(kOpenTitle, SeriesFilesController::seriesFileFilter(),
                                [this](const QString& path) { previewInDialog(path); });
    inOpenDialog_ = false;
    series::KtlReadResult result;
    const bool opened = chosen && open(*chosen, result);
    previewed_.reset();
    // A cancel, a file that is no series file or could not be read, or a No leaves
    // everything as it was.
    endPreview(opened);
    if (!opened) {
        form_.chart().drawIvChart();
        return;
    }
    showOpened(*chosen, result);
}

void SeriesFileOpening::showOpened(const QString& path, const series::KtlReadResult& result) {
    form_.journal().series().settleAll(journal::Settlement::Replaced);
    SeriesStore& store = form_.store();
    store.snapshotStored();
    files_.baseline().synced(store);
    // The ranges first, so that the correction's drawing below already has them and the
    // stored layer is drawn once.
    takeRanges(result, kOpenMargin);
    // The options still ticked apply to the new data, so the chart and the export's name
    // tell the same story.
    c().anyButton(QStringLiteral("CheckBox50"))->setChecked(false);
    files_.CheckBox50Click();
    form_.chart().setAnimationDelay(0);
    c().setText(QStringLiteral("Edit46"), QStringLiteral("1"));
    c().setText(QStringLiteral("Edit47"), QStringLiteral("1"));
    files_.takeFile(path, result.date);
    c().setText(QStringLiteral("Edit44"), result.comment);
    form_.status().say(file_action_texts::read(path, file_action_texts::seriesHeld(store)));
    form_.ivPanel().ScrollBar2Change();
    form_.chart().drawIvChart();
    form_.letEventsRun();
}

void SeriesFileOpening::endPreview(bool keep) {
    if (!keep) {
        if (beforePreview_) {
            form_.store().swapContents(*beforePreview_);
        }
        showFile(shownBeforePreview_);
    }
    beforePreview_.reset();
}

// While the open dialog is shown every highlighted series file is drawn; the store from
// before the dialog is kept aside until the dialog ends.
void SeriesFileOpening::previewInDialog(const QString& path) {
    c().setText(QStringLiteral("Label15"), path);
    const QFileInfo file(path);
    if (!series::isKtlName(path) || !file.isFile()) {
        return;
    }
    series::KtlReadResult result;
    std::unique_ptr<SeriesStore> fresh = readWhole(path, result);
    previewed_ = PreviewedFile{path, file.size(), file.lastModified(), 0, result, {}, !fresh};
    if (!fresh) {
        form_.chart().drawIvChart();
        return;
    }
    previewed_->labels = fresh->segmentLabelTable();
    fresh->copyLabelsFrom(form_.store());  // the preview leaves the labels as they are
    form_.store().swapContents(*fresh);
    form_.ivState().openedSeriesProtected = result.lastSeriesHoldsData;
    if (!beforePreview_) {
        beforePreview_ = std::move(fresh);
    }
    previewed_->storeRevision = form_.store().storedRevision();
    showReload(result);
}

void SeriesFileOpening::Label15Click() {
    if (files_.refusedWhileMeasuring("Label15")) {
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
    std::unique_ptr<SeriesStore> fresh = readWhole(path, result);
    if (!fresh || !form_.mayDropUnsavedSeries(QStringLiteral("Reloading the file"))) {
        c().setText(QStringLiteral("Label15"), shownName);
        return;
    }
    fresh->copyLabelsFrom(form_.store());  // a reload leaves the labels as they are
    form_.store().swapContents(*fresh);
    form_.ivState().openedSeriesProtected = result.lastSeriesHoldsData;
    form_.journal().series().settleAll(journal::Settlement::Replaced);
    showReload(result);
}

void SeriesFileOpening::showReload(const series::KtlReadResult& result) {
    c().setText(QStringLiteral("Edit44"), result.comment);
    c().setText(QStringLiteral("Label5"), result.date);
    c().setText(QStringLiteral("Label43"), result.time);
    files_.baseline().invalidate();
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

}  // namespace tarvix::shell
