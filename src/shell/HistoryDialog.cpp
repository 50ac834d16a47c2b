// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/HistoryDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvix::shell {

namespace {

QLineEdit* namedEdit(QWidget* parent, const char* name, const QString& placeholder) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(placeholder);
    return edit;
}

QDate dateOf(const QLineEdit* edit) {
    return QDate::fromString(edit->text().trimmed(), Qt::ISODate);
}

}  // namespace

HistoryDialog::HistoryDialog(QWidget* parent)
    : QDialog(parent),
      text_(namedEdit(this, "HistoryText", QStringLiteral("comment, setting or instrument"))),
      from_(namedEdit(this, "HistoryFrom", QStringLiteral("yyyy-mm-dd"))),
      to_(namedEdit(this, "HistoryTo", QStringLiteral("yyyy-mm-dd"))),
      list_(new QListWidget(this)),
      load_(new QPushButton(QStringLiteral("Load"), this)) {
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(QStringLiteral("History"));
    list_->setObjectName(QStringLiteral("HistoryList"));
    load_->setObjectName(QStringLiteral("HistoryLoad"));
    auto* filters = new QFormLayout;
    filters->addRow(QStringLiteral("Find"), text_);
    auto* dates = new QHBoxLayout;
    dates->addWidget(from_);
    dates->addWidget(new QLabel(QStringLiteral("to"), this));
    dates->addWidget(to_);
    filters->addRow(QStringLiteral("From"), dates);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(list_);
    layout->addWidget(load_, 0, Qt::AlignRight);
    resize(720, 480);
    for (QLineEdit* edit : {text_, from_, to_}) {
        connect(edit, &QLineEdit::textChanged, this, &HistoryDialog::filterChanged);
    }
    connect(load_, &QPushButton::clicked, this, &HistoryDialog::loadRequested);
    connect(list_, &QListWidget::itemDoubleClicked, this, &HistoryDialog::loadRequested);
}

QString HistoryDialog::startedText(const journal::HistoryEntry& entry) {
    return entry.started.isValid() ? entry.started.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                   : QStringLiteral("unknown date");
}

QString HistoryDialog::rowText(const journal::HistoryEntry& entry) {
    return QStringLiteral("%1  %2  %3  %4 points  %5")
        .arg(startedText(entry), entry.kind, entry.comment)
        .arg(entry.points)
        .arg(entry.instruments);
}

void HistoryDialog::showEntries(const std::vector<journal::HistoryEntry>& entries) {
    entries_ = entries;
    list_->clear();
    for (const journal::HistoryEntry& entry : entries_) {
        list_->addItem(rowText(entry).trimmed());
    }
    list_->setCurrentRow(entries_.empty() ? -1 : 0);
    load_->setEnabled(!entries_.empty());
    QDialog::show();
    raise();
}

journal::HistoryFilter HistoryDialog::filter() const {
    return {text_->text().trimmed(), dateOf(from_), dateOf(to_)};
}

const journal::HistoryEntry* HistoryDialog::chosen() const {
    const int row = list_->currentRow();
    return row >= 0 && row < static_cast<int>(entries_.size())
               ? &entries_[static_cast<std::size_t>(row)]
               : nullptr;
}

}  // namespace tarvix::shell
