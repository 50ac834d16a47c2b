// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotwindow/SeriesListPanel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

namespace tarvix::plotwindow {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kLiveRole = Qt::UserRole + 1;

QIcon swatch(QRgb colour) {
    QPixmap pixmap(16, 10);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(QRect(0, 2, 16, 6), QColor::fromRgb(colour));
    return QIcon(pixmap);
}

}  // namespace

SeriesListPanel::SeriesListPanel(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("PlotSeriesList"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setHeaderLabels({QString(), QStringLiteral("#"), QStringLiteral("Comment"),
                     QStringLiteral("Date"), QStringLiteral("Points")});
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(kComment, QHeaderView::Stretch);
    for (const int column : {kShown, kNumber, kDate, kPoints}) {
        header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    connect(this, &QTreeWidget::itemChanged, this, &SeriesListPanel::itemEdited);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !filling_) {
            emit highlightChosen(keyOf(item), liveOf(item));
        }
    });
}

int SeriesListPanel::keyOf(const QTreeWidgetItem* item) {
    return item->data(kNumber, kKeyRole).toInt();
}

bool SeriesListPanel::liveOf(const QTreeWidgetItem* item) {
    return item->data(kNumber, kLiveRole).toBool();
}

QTreeWidgetItem* SeriesListPanel::rowOf(int key, bool live) const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (liveOf(item) == live && (live || keyOf(item) == key)) {
            return item;
        }
    }
    return nullptr;
}

void SeriesListPanel::showSeries(const std::vector<plot::PlotSeries>& series, bool editable) {
    if (state() == QAbstractItemView::EditingState) {
        return;  // the operator is typing a comment; the rows follow afterwards
    }
    filling_ = true;
    if (sameRows(series)) {
        // A sweep's look at the store: only the running run's count moved, most often.
        for (std::size_t i = 0; i < series.size(); ++i) {
            fillRow(topLevelItem(static_cast<int>(i)), series[i]);
        }
        filling_ = false;
        return;
    }
    const QTreeWidgetItem* current = currentItem();
    const int currentKey = current ? keyOf(current) : -1;
    const bool currentLive = current && liveOf(current);
    clear();
    for (const plot::PlotSeries& one : series) {
        auto* item = new QTreeWidgetItem(this);
        item->setData(kNumber, kKeyRole, one.key);
        item->setData(kNumber, kLiveRole, one.live);
        item->setIcon(kShown, swatch(one.colour));
        item->setTextAlignment(kPoints, Qt::AlignRight | Qt::AlignVCenter);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
        if (editable && !one.live) {
            flags |= Qt::ItemIsEditable;
        }
        item->setFlags(flags);
        fillRow(item, one);
    }
    if (currentKey >= 0) {
        setCurrentItem(rowOf(currentKey, currentLive));
    }
    filling_ = false;
}

bool SeriesListPanel::sameRows(const std::vector<plot::PlotSeries>& series) const {
    if (topLevelItemCount() != static_cast<int>(series.size())) {
        return false;
    }
    for (std::size_t i = 0; i < series.size(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(static_cast<int>(i));
        if (keyOf(item) != series[i].key || liveOf(item) != series[i].live) {
            return false;
        }
    }
    return true;
}

// Texts are set only when they differ, so that an unchanged row is not painted again.
void SeriesListPanel::fillRow(QTreeWidgetItem* item, const plot::PlotSeries& series) {
    const auto set = [item](int column, const QString& text) {
        if (item->text(column) != text) {
            item->setText(column, text);
        }
    };
    const Qt::CheckState shown = series.shown ? Qt::Checked : Qt::Unchecked;
    if (item->data(kShown, Qt::CheckStateRole).isNull() || item->checkState(kShown) != shown) {
        item->setCheckState(kShown, shown);
    }
    set(kNumber, series.live ? QStringLiteral("live") : QString::number(series.number));
    set(kComment, series.comment.isEmpty() ? series.name : series.comment);
    set(kDate, series.date);
    set(kPoints, QString::number(series.points()));
}

void SeriesListPanel::itemEdited(QTreeWidgetItem* item, int column) {
    if (filling_) {
        return;
    }
    if (column == kShown) {
        emit shownChanged(keyOf(item), liveOf(item), item->checkState(kShown) == Qt::Checked);
    } else if (column == kComment) {
        emit commentEdited(keyOf(item), item->text(kComment));
    }
}

void SeriesListPanel::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* item = currentItem();
    if (event->key() == Qt::Key_Delete && item && !liveOf(item) &&
        state() != QAbstractItemView::EditingState) {
        emit deleteAsked(keyOf(item));
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

// Only the comment is ever edited: a double-click anywhere on a row edits that. Other
// triggers pass as they are, since the tick's clicks arrive here too.
bool SeriesListPanel::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool editing =
        trigger == QAbstractItemView::DoubleClicked || trigger == QAbstractItemView::EditKeyPressed;
    if (editing && index.isValid() && index.column() != kComment) {
        return QTreeWidget::edit(index.sibling(index.row(), kComment), trigger, event);
    }
    return QTreeWidget::edit(index, trigger, event);
}

}  // namespace tarvix::plotwindow
