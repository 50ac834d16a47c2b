// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StatusLine.h"

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>

#include "status/StatusService.h"

namespace tarvix::shell {

StatusLine::StatusLine(QMainWindow& window, status::StatusService& status)
    : status_(status),
      text_(new QLabel(&window)),
      bar_(new QProgressBar(&window)),
      database_(new QLabel(&window)) {
    text_->setObjectName(QStringLiteral("StatusText"));
    bar_->setObjectName(QStringLiteral("StatusProgress"));
    bar_->setRange(0, 100);
    bar_->setFixedWidth(240);
    bar_->hide();
    database_->setObjectName(QStringLiteral("StatusDatabase"));
    QStatusBar* line = window.statusBar();
    line->setObjectName(QStringLiteral("StatusBar"));
    line->addWidget(text_, 1);
    line->addPermanentWidget(bar_);
    line->addPermanentWidget(database_);
    QObject::connect(&status_, &status::StatusService::changed, text_, [this] { follow(); });
}

void StatusLine::showDatabase(const QString& text, const QString& tip) {
    database_->setText(text);
    database_->setToolTip(tip);
}

void StatusLine::follow() {
    text_->setText(status_.text());
    const int percent = status_.percent();
    bar_->setVisible(percent >= 0);
    if (percent >= 0) {
        bar_->setValue(percent);
    }
}

}  // namespace tarvix::shell
