// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QImage>

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvix::ivtwindow {

// What the window's buttons ask of the program.
class IvtWindowHost {
  public:
    virtual ~IvtWindowHost() = default;
    virtual void ivtStart() = 0;
    // Stop, Esc and closing the window: the run ends with the output off.
    virtual void ivtStop() = 0;
    virtual void ivtArrhenius() = 0;
    virtual void ivtExportTable() = 0;
};

// I-V versus temperature: the targets, tolerance and reading period, Start and Stop, the run's
// report, and the Arrhenius analysis with its plot. Its controls carry the names recipes use
// (IvtFrom, IvtTo, IvtStep, IvtTolerance, IvtPeriod, IvtStart, IvtStop, IvtReport,
// IvtArrheniusVoltage, IvtArrhenius, IvtActivationEnergy, IvtArrheniusPlot, IvtExportTable).
class IvtWindow : public QDialog {
    Q_OBJECT
  public:
    IvtWindow(IvtWindowHost& host, QWidget* parent);

    QString text(const char* name) const;
    void setRunning(bool running);
    void setReport(const QString& text);
    void setActivationEnergy(const QString& text);
    void showPlot(const QImage& image);
    static constexpr int kPlotWidth = 520;
    static constexpr int kPlotHeight = 340;

  public slots:
    void reject() override;

  private:
    QLineEdit* addEdit(QFormLayout* form, const char* name, const QString& label,
                       const QString& text);
    QPushButton* addButton(const char* name, const QString& caption);

    IvtWindowHost& host_;
    QLabel* report_ = nullptr;
    QLabel* activation_ = nullptr;
    QLabel* plot_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
};

}  // namespace tarvix::ivtwindow
