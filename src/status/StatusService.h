// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>

#include "status/Progress.h"

namespace tarvix::status {

// "0:07", "12:30", "1:02:03".
QString durationText(qint64 milliseconds);

// The status line as data: procedures publish where they are, file actions and refused
// presses say what happened, and the window and recipes read the same text.
class StatusService : public QObject {
    Q_OBJECT
  public:
    // Milliseconds of a monotonic clock; tests pass their own.
    using Clock = std::function<qint64()>;
    explicit StatusService(Clock clock = {});

    // An action starts: its clock starts now.
    void begin(const QString& stage);
    // The procedure's position; with `ending` set, how it ended. A position of a stage that was
    // not begun begins it.
    void publish(const Progress& progress);
    // `remark` is what the operator must know of the result however the action ended (points
    // clipped by a limit); it follows the outcome after a semicolon.
    void finish(Ending ending, const QString& reason = {}, const QString& remark = {});
    // A line that is no part of a running action's progress: a file written, a refused press.
    // While an action runs, its progress stays off the line for kNoticeMs so the line can be
    // read.
    void say(const QString& text);
    static constexpr qint64 kNoticeMs = 4000;

    const QString& text() const { return text_; }
    bool running() const { return running_; }
    // Percent done of the running action, or -1 when its total is not known.
    int percent() const;

  signals:
    void changed();

  private:
    QString runningText() const;
    QString timeText() const;
    qint64 elapsed() const;
    void setText(const QString& text);

    Clock clock_;
    QElapsedTimer timer_;
    qint64 startedAt_ = 0;
    qint64 noticeUntil_ = -1;
    bool running_ = false;
    Progress last_;
    QString text_;
};

}  // namespace tarvix::status
