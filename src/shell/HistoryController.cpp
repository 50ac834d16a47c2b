#include "shell/HistoryController.h"

#include <QAction>
#include <QMenu>

#include "journal/MeasurementHistory.h"
#include "journal/RecoveryJournal.h"
#include "shell/HistoryDialog.h"
#include "shell/IvChartView.h"

namespace tarvix::shell {

HistoryController::HistoryController(TForm1& form) : PanelController(form) {}

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
    dialog_->showEntries(db.isOpen() ? journal::listMeasurements(db.database(), dialog_->filter())
                                     : std::vector<journal::HistoryEntry>{});
}

void HistoryController::loadChosen() {
    const journal::HistoryEntry* entry = dialog_->chosen();
    if (!entry) {
        return;
    }
    if (entry->kind != QStringLiteral("iv")) {
        form_.ui().showMessage(
            QStringLiteral("Only I-V series can be loaded from the history; this is a %1 "
                           "measurement.")
                .arg(entry->kind));
        return;
    }
    if (form_.ivState().actionRunning ||
        !form_.mayDropUnsavedSeries(QStringLiteral("Loading a series from the history"))) {
        return;
    }
    loadSeries(entry->id, entry->comment);
}

void HistoryController::loadSeries(qint64 id, const QString& comment) {
    form_.journal().series().settleAll(journal::Settlement::Replaced);
    series::SeriesStore& store = form_.store();
    store.clearStored(store.seriesCount);
    store.seriesCount = 0;
    store.clearLive();
    if (journal::readIvSeries(form_.journal().database().database(), id, store, 1)) {
        store.seriesCount = 2;
        form_.journal().series().noteLoaded(1, id);
    }
    store.snapshotStored();
    c().setText(QStringLiteral("Edit44"), comment);
    form_.showSeriesFile(QString());
    form_.chart().drawIvChart();
}

}  // namespace tarvix::shell
