// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <vector>

#include "journal/MeasurementHistory.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tarvix::shell {

// File -> "History...": the past measurements of the database, found by text and dates.
// Its parts carry object names for recipes: HistoryText, HistoryFrom, HistoryTo (dates as
// yyyy-mm-dd, empty for no limit), HistoryList, HistoryLoad.
class HistoryDialog : public QDialog {
    Q_OBJECT
  public:
    explicit HistoryDialog(QWidget* parent);

    // Lists `entries` (newest first); the first row is chosen.
    void showEntries(const std::vector<journal::HistoryEntry>& entries);
    journal::HistoryFilter filter() const;
    // The measurement of the chosen row; nullptr when none is chosen.
    const journal::HistoryEntry* chosen() const;

    // One row of the list: date and time, kind, comment, points and instruments.
    static QString rowText(const journal::HistoryEntry& entry);
    // When the measurement started, or "unknown date" when the journal's date is unreadable.
    static QString startedText(const journal::HistoryEntry& entry);

  signals:
    void filterChanged();
    void loadRequested();

  private:
    QLineEdit* text_;
    QLineEdit* from_;
    QLineEdit* to_;
    QListWidget* list_;
    QPushButton* load_;
    std::vector<journal::HistoryEntry> entries_;
};

}  // namespace tarvix::shell
