// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <vector>

class QMenu;

namespace tarvix::shell {

class TForm1;

// The menu bar: File (open, save, export, quit), Measurement (Start and Stop of the panel on
// view) and View (the controls the design creates hidden). Every entry presses the same
// button its caption names, so it runs that button's handler; every action has an object name
// that recipes can click.
class WindowMenus {
  public:
    explicit WindowMenus(TForm1& form);

    QMenu* fileMenu() const { return file_; }
    // Entries other controllers added to File come before Quit.
    void addQuit();

    // The buttons the Measurement menu presses for the panel on view.
    QString startButton() const;
    QString stopButton() const;
    // Clicks the named button, or says in the status line why it cannot act.
    void press(const QString& button);

  private:
    void createFileMenu();
    void createMeasurementMenu();
    void createViewMenu();
    void addViewToggle(QMenu* menu, const QString& text, const char* objectName,
                       const std::vector<const char*>& names,
                       const std::vector<const char*>& enableAlso = {});

    TForm1& form_;
    QMenu* file_ = nullptr;
};

}  // namespace tarvix::shell
