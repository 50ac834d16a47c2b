#pragma once

class QLabel;
class QMainWindow;
class QProgressBar;

namespace tarvix::status {
class StatusService;
}

namespace tarvix::shell {

// The window's status line: the service's text and, while the total of the running action is
// known, a bar with the fraction done.
class StatusLine {
  public:
    StatusLine(QMainWindow& window, status::StatusService& status);

  private:
    void follow();

    status::StatusService& status_;
    QLabel* text_;
    QProgressBar* bar_;
};

}  // namespace tarvix::shell
