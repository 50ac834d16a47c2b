// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/HistoryController.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <map>

#include "journal/RecoveryJournal.h"
#include "shell/HistoryDialog.h"
#include "shell/IvChartView.h"
#include "shell/LcrController.h"
#include "shell/LcrSweepRecord.h"
#include "shell/SeriesFilesController.h"
#include "shell/ThermoController.h"

namespace tarvix::shell {

namespace {

const QString kMeasuring =
    QStringLiteral("Load does nothing while a measurement runs; press Stop first");

// What the status line says of a loaded measurement.
QString loadedText(const journal::HistoryEntry& entry) {
    static const std::map<QString, QString> kNouns = {
        {QStringLiteral("iv"), QStringLiteral("I-V series")},
        {QStringLiteral("four-probe"), QStringLiteral("four-probe record")},
        {QStringLiteral("thermocouple"), QStringLiteral("thermocouple record")},
        {QStringLiteral("lcr"), QStringLiteral("LCR sweep")}};
    const auto noun = kNouns.find(entry.kind);
    return QStringLiteral("Loaded from the history: %1 of %2, %3 points")
        .arg(noun == kNouns.end() ? entry.kind : noun->second, HistoryDialog::startedText(entry))
        .arg(entry.points);
}

}  // namespace

HistoryController::HistoryController(TForm1& form, SeriesFilesController& files,
                                     ThermoController& thermo, LcrController& lcr)
    : PanelController(form), files_(files), thermo_(thermo), lcr_(lcr) {}

HistoryController::~HistoryController() = default;

void HistoryController::wire() {
    QAction* action = form_.fileMenu()->addAction(QStringLiteral("History..."));
    action->setObjectName(QStringLiteral("HistoryMenuItem"));
    QObject::connect(action, &QAction::triggered, &form_, [this] { showHistory(); });
}

void HistoryController::showHistory() {
    if (!dialog_) {
        dialog_ = new HistoryDialog(&form_);
        QObject::connect(dialog_, &HistoryDialog::filterChanged, dialog_, [this] { refresh(); });
        QObject::connect(dialog_, &HistoryDialog::loadRequested, dialog_, [this] { loadChosen(); });
    }
    refresh();
}

void HistoryController::refresh() {
    journal::JournalDatabase& db = form_.journal().database();
    dialog_->showEntries(db.isReadable()
                             ? journal::listMeasurements(db.database(), dialog_->filter())
                             : std::vector<journal::HistoryEntry>{});
}

void HistoryController::loadChosen() {
    const journal::HistoryEntry* chosen = dialog_->chosen();
    if (!chosen) {
        return;
    }
    if (measuring()) {
        form_.status().say(kMeasuring);
        return;
    }
    const journal::HistoryEntry entry = *chosen;
    if (load(entry)) {
        form_.status().say(loadedText(entry));
    }
}

// Every procedure that fills the store or a panel holds the bench while it runs.
bool HistoryController::measuring() {
    return form_.ivState().actionRunning || form_.busOwner().busy();
}

bool HistoryController::load(const journal::HistoryEntry& entry) {
    if (entry.kind == QStringLiteral("iv")) {
        return loadSeries(entry);
    }
    if (entry.kind == QStringLiteral("lcr")) {
        return loadSweep(entry);
    }
    if (entry.kind == QStringLiteral("four-probe") ||
        entry.kind == QStringLiteral("thermocouple")) {
        return loadRecord(entry);
    }
    form_.ui().showMessage(
        QStringLiteral("A %1 measurement cannot be loaded from the history.").arg(entry.kind));
    return false;
}

bool HistoryController::loadSeries(const journal::HistoryEntry& entry) {
    if (!form_.mayDropUnsavedSeries(QStringLiteral("Loading a series from the history"))) {
        return false;
    }
    form_.journal().series().settleAll(journal::Settlement::Replaced);
    series::SeriesStore& store = form_.store();
    store.clearStored(store.seriesCount);
    store.seriesCount = 0;
    store.clearLive();
    if (journal::readIvSeries(form_.journal().database().database(), entry.id, store, 1)) {
        store.seriesCount = 2;
        form_.journal().series().noteLoaded(1, entry.id);
    }
    store.snapshotStored();
    c().setText(QStringLiteral("Edit44"), entry.comment);
    files_.showDatabaseSeries(entry.started);
    c().anyButton(QStringLiteral("RadioButton58"))->setChecked(true);
    form_.chart().drawIvChart();
    return true;
}

bool HistoryController::loadRecord(const journal::HistoryEntry& entry) {
    if (!thermo_.mayDropUnsavedRecord(QStringLiteral("Loading a record from the history"))) {
        return false;
    }
    const thermo::ThermoRunKind kind = journal::thermoRunKind(entry.kind);
    form_.journal().thermo().loaded(entry.id);
    journal::readThermoRecord(form_.journal().database().database(), entry.id, kind,
                              thermo_.record());
    c().setText(QStringLiteral("Edit44"), entry.comment);
    thermo_.showPastRecord(kind, entry.started.date());
    return true;
}

// A sweep wrote its .frq file as it went, and one that never ended stays in the history:
// loading another drops nothing.
bool HistoryController::loadSweep(const journal::HistoryEntry& entry) {
    if (!readLcrSweep(form_.journal().database().database(), entry.id, lcr_.sweep())) {
        return false;
    }
    c().setText(QStringLiteral("Edit44"), entry.comment);
    lcr_.showPastSweep(entry.id, entry.started.date());
    return true;
}

}  // namespace tarvix::shell
