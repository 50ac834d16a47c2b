// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLabel;
class QMainWindow;
class QProgressBar;
class QString;

namespace tarvix::status {
class StatusService;
}

namespace tarvix::shell {

// The window's status line: the service's text and, while the total of the running action is
// known, a bar with the fraction done; at its right end, the measurement database in use.
class StatusLine {
  public:
    StatusLine(QMainWindow& window, status::StatusService& status);

    void showDatabase(const QString& text, const QString& tip);

  private:
    void follow();

    status::StatusService& status_;
    QLabel* text_;
    QProgressBar* bar_;
    QLabel* database_;
};

}  // namespace tarvix::shell
