// SPDX-License-Identifier: GPL-3.0-or-later
#include "ivtwindow/IvtWindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvix::ivtwindow {

IvtWindow::IvtWindow(IvtWindowHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName(QStringLiteral("IvtWindow"));
    setWindowTitle(tr("I-V versus temperature"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    addEdit(form, "IvtFrom", tr("From (K)"), QStringLiteral("100"));
    addEdit(form, "IvtTo", tr("To (K)"), QStringLiteral("300"));
    addEdit(form, "IvtStep", tr("Step (K)"), QStringLiteral("10"));
    addEdit(form, "IvtTolerance", tr("Tolerance (K)"), QStringLiteral("0.5"));
    addEdit(form, "IvtPeriod", tr("Reading period (s)"), QStringLiteral("2"));
    auto* run = new QHBoxLayout;
    start_ = addButton("IvtStart", tr("Start"));
    stop_ = addButton("IvtStop", tr("Stop"));
    stop_->setEnabled(false);
    run->addWidget(start_);
    run->addWidget(stop_);
    run->addStretch();
    layout->addLayout(run);
    report_ = new QLabel(this);
    report_->setObjectName(QStringLiteral("IvtReport"));
    report_->setWordWrap(true);
    layout->addWidget(report_);
    auto* arrhenius = new QFormLayout;
    layout->addLayout(arrhenius);
    addEdit(arrhenius, "IvtArrheniusVoltage", tr("Arrhenius at (V)"), QStringLiteral("1"));
    auto* analysis = new QHBoxLayout;
    analysis->addWidget(addButton("IvtArrhenius", tr("Arrhenius")));
    activation_ = new QLabel(this);
    activation_->setObjectName(QStringLiteral("IvtActivationEnergy"));
    activation_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    analysis->addWidget(activation_, 1);
    analysis->addWidget(addButton("IvtExportTable", tr("Save table (CSV)...")));
    layout->addLayout(analysis);
    plot_ = new QLabel(this);
    plot_->setObjectName(QStringLiteral("IvtArrheniusPlot"));
    plot_->setFixedSize(kPlotWidth, kPlotHeight);
    layout->addWidget(plot_);
    connect(start_, &QPushButton::clicked, this, [this] { host_.ivtStart(); });
    connect(stop_, &QPushButton::clicked, this, [this] { host_.ivtStop(); });
    connect(findChild<QPushButton*>(QStringLiteral("IvtArrhenius")), &QPushButton::clicked, this,
            [this] { host_.ivtArrhenius(); });
    connect(findChild<QPushButton*>(QStringLiteral("IvtExportTable")), &QPushButton::clicked, this,
            [this] { host_.ivtExportTable(); });
}

QLineEdit* IvtWindow::addEdit(QFormLayout* form, const char* name, const QString& label,
                              const QString& text) {
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(QString::fromLatin1(name));
    form->addRow(label, edit);
    return edit;
}

QPushButton* IvtWindow::addButton(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);  // Enter in an edit must not start a run
    return button;
}

QString IvtWindow::text(const char* name) const {
    const auto* edit = findChild<QLineEdit*>(QString::fromLatin1(name));
    return edit ? edit->text() : QString();
}

void IvtWindow::setRunning(bool running) {
    start_->setEnabled(!running);
    stop_->setEnabled(running);
}

void IvtWindow::setReport(const QString& text) {
    report_->setText(text);
}

void IvtWindow::setActivationEnergy(const QString& text) {
    activation_->setText(text);
}

void IvtWindow::showPlot(const QImage& image) {
    plot_->setPixmap(QPixmap::fromImage(image));
}

// Esc and the window's close end a run first.
void IvtWindow::reject() {
    host_.ivtStop();
    QDialog::reject();
}

}  // namespace tarvix::ivtwindow
