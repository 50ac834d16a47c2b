// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace tarvix::shell {

class TForm1;
class ScriptedUiServices;

// Runs a recipe of operator actions on the window, one command per line:
//   set NAME TEXT, check NAME, uncheck NAME, click NAME, scroll NAME POS, answer PATH,
//   answer-cancel, reply yes|no, wait MS, later MS COMMAND..., print NAME, expect NAME TEXT,
//   expect-checked NAME 0|1, expect-enabled NAME 0|1, expect-visible NAME 0|1,
//   screenshot NAME|window FILE.png, close; "#" starts a comment line. "click" also triggers
//   a menu action found by its object name, and "status" prints or expects the status line.
//   "plot ..." acts on the plot window and "print plot" prints its facts (PlotRecipes).
// Exit status: 0 when every expectation held, 1 at the first one that failed, 2 for a line
// that cannot be understood or names no control, and for a "later" still pending at the end.
class ScriptRunner {
  public:
    ScriptRunner(TForm1& form, ScriptedUiServices& ui);

    // Runs every line (stopping at the first failure) and then closes the window.
    int run(const QStringList& lines);
    // The lines alone, the window left open: a recipe run in parts.
    int runPart(const QStringList& lines);
    static bool readFile(const QString& path, QStringList& lines, QString& error);

  private:
    struct Line {
        QString command;
        QString name;
        QString rest;
    };
    static Line split(const QString& text);
    // 0 to go on, 1 or 2 to stop with that status.
    int execute(const QString& text, int lineNumber);
    int actOnControl(const Line& line, int lineNumber);
    int actOnStatus(const Line& line, int lineNumber);
    int later(int milliseconds, const QString& command, int lineNumber);
    int pendingLaterStatus();
    // "menu View/Analysis tools": triggers the entry of the menu bar on that path.
    int triggerMenu(const QString& path, int lineNumber);
    int actOnMenuItem(const Line& line, int lineNumber);
    int actOnPlot(const QString& words, bool print, int lineNumber);
    int expectation(const Line& line, QWidget* control, int lineNumber);
    static bool windowCommand(const QString& command);
    int flagExpectation(const Line& line, bool actual, int lineNumber);
    int fail(int status, int lineNumber, const QString& message);
    QStringList printed(const QString& name) const;
    void waitMs(int milliseconds);

    TForm1& form_;
    ScriptedUiServices& ui_;
    bool closed_ = false;
    int laterStatus_ = 0;
    int laterPending_ = 0;
    int lastLaterLine_ = 0;
    // Owns the timers of "later", so that none fires after the runner is gone.
    QObject laterTimers_;
};

}  // namespace tarvix::shell
