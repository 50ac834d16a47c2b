// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTreeWidget>
#include <vector>

#include "plot/PlotSeries.h"

namespace tarvix::plotwindow {

// The legend and list of series beside the plot: one row per series (colour swatch and
// tick, number, comment, date, points). The tick shows or hides a series, a click
// highlights it, Delete asks to remove it, a double-click on the comment edits it.
class SeriesListPanel : public QTreeWidget {
    Q_OBJECT
  public:
    enum Column { kShown, kNumber, kComment, kDate, kPoints };

    explicit SeriesListPanel(QWidget* parent);

    // The rows follow the series; the current row stays where it was when it still exists.
    // With `editable` the comments of stored series can be edited.
    void showSeries(const std::vector<plot::PlotSeries>& series, bool editable);
    // Row of the series of `key` (or of the running run), or null.
    QTreeWidgetItem* rowOf(int key, bool live) const;

  signals:
    // Series are named by their keys (PlotSeries::key).
    void shownChanged(int key, bool live, bool shown);
    void highlightChosen(int key, bool live);
    void deleteAsked(int key);
    void commentEdited(int key, const QString& comment);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

  private:
    void itemEdited(QTreeWidgetItem* item, int column);
    bool sameRows(const std::vector<plot::PlotSeries>& series) const;
    static void fillRow(QTreeWidgetItem* item, const plot::PlotSeries& series);
    static int keyOf(const QTreeWidgetItem* item);
    static bool liveOf(const QTreeWidgetItem* item);

    bool filling_ = false;
};

}  // namespace tarvix::plotwindow
