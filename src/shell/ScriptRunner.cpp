// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ScriptRunner.h"

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>

#include "plotwindow/PlotRecipes.h"
#include "plotwindow/PlotWindow.h"
#include "shell/ButtonRefusals.h"
#include "shell/TForm1.h"
#include "shell/UiServices.h"
#include "shell/Widgets.h"
#include "text/DecimalParse.h"
#include "text/SafeFileWriter.h"

namespace tarvix::shell {

namespace {

void printLine(const QString& text) {
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

// The picture in the format its name's suffix names, written as every other file is.
bool writeScreenshot(QWidget& control, const QString& path) {
    const QByteArray format = QFileInfo(path).suffix().toLatin1();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return !format.isEmpty() && control.grab().save(&buffer, format.constData()) &&
           text::writeBytesFile(path, bytes) == 0;
}
}  // namespace

ScriptRunner::ScriptRunner(TForm1& form, ScriptedUiServices& ui) : form_(form), ui_(ui) {}

bool ScriptRunner::readFile(const QString& path, QStringList& lines, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the script %1: %2").arg(path, file.errorString());
        return false;
    }
    lines = QString::fromUtf8(file.readAll()).split('\n');
    for (QString& line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return true;
}

// The first word is the command, the second the control's name, and the rest of the line
// after one blank is taken verbatim.
ScriptRunner::Line ScriptRunner::split(const QString& text) {
    Line line;
    const qsizetype first = text.indexOf(' ');
    line.command = first < 0 ? text : text.left(first);
    if (first < 0) {
        return line;
    }
    const QString after = text.mid(first + 1);
    const qsizetype second = after.indexOf(' ');
    line.name = second < 0 ? after : after.left(second);
    line.rest = second < 0 ? QString() : after.mid(second + 1);
    return line;
}

int ScriptRunner::fail(int status, int lineNumber, const QString& message) {
    std::fprintf(stderr, "script line %d: %s\n", lineNumber, message.toUtf8().constData());
    return status;
}

void ScriptRunner::waitMs(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

int ScriptRunner::run(const QStringList& lines) {
    const int status = runPart(lines);
    if (!closed_) {
        form_.close();
    }
    return status;
}

int ScriptRunner::runPart(const QStringList& lines) {
    int status = 0;
    for (int i = 0; i < lines.size() && status == 0 && !closed_; ++i) {
        status = execute(lines[i], i + 1);
        if (status == 0) {
            status = laterStatus_;
        }
    }
    if (status == 0) {
        status = pendingLaterStatus();
    }
    return status;
}

int ScriptRunner::execute(const QString& text, int lineNumber) {
    if (text.trimmed().isEmpty() || text.trimmed().startsWith('#')) {
        return 0;
    }
    const Line line = split(text);
    if (line.command == QStringLiteral("answer")) {
        ui_.queueAnswer(text.mid(7));
        return 0;
    }
    if (line.command == QStringLiteral("reply")) {
        if (line.name != QStringLiteral("yes") && line.name != QStringLiteral("no")) {
            return fail(2, lineNumber, QStringLiteral("\"reply\" needs yes or no"));
        }
        ui_.queueReply(line.name == QStringLiteral("yes"));
        return 0;
    }
    if (line.command == QStringLiteral("answer-cancel")) {
        ui_.queueCancel();
        return 0;
    }
    if (line.command == QStringLiteral("wait") || line.command == QStringLiteral("later")) {
        const auto milliseconds = text::parseInteger(line.name);
        if (!milliseconds || *milliseconds < 0) {
            return fail(2, lineNumber,
                        QStringLiteral("\"%1\" needs a time in milliseconds").arg(line.command));
        }
        if (line.command == QStringLiteral("wait")) {
            waitMs(*milliseconds);
            return 0;
        }
        return later(*milliseconds, line.rest, lineNumber);
    }
    if (line.command == QStringLiteral("menu")) {
        return triggerMenu(text.mid(5), lineNumber);
    }
    if (line.command == QStringLiteral("plot")) {
        return actOnPlot(text.mid(5), false, lineNumber);
    }
    if (line.command == QStringLiteral("close")) {
        closed_ = true;
        form_.close();
        return 0;
    }
    return actOnControl(line, lineNumber);
}

int ScriptRunner::later(int milliseconds, const QString& command, int lineNumber) {
    ++laterPending_;
    lastLaterLine_ = lineNumber;
    QTimer::singleShot(milliseconds, &laterTimers_, [this, command, lineNumber] {
        --laterPending_;
        if (!closed_ && laterStatus_ == 0) {
            laterStatus_ = execute(command, lineNumber);
        }
    });
    return 0;
}

// A press planned for a moment the recipe never reached did not happen: the recipe did not
// test what it says.
int ScriptRunner::pendingLaterStatus() {
    if (laterPending_ == 0 || closed_) {
        return 0;
    }
    return fail(2, lastLaterLine_,
                QStringLiteral("%1 \"later\" command(s) still pending at the end of the recipe")
                    .arg(laterPending_));
}

int ScriptRunner::actOnStatus(const Line& line, int lineNumber) {
    const QString text = form_.status().text();
    if (line.command == QStringLiteral("print")) {
        printLine(QStringLiteral("status: %1").arg(text));
        return 0;
    }
    if (line.command == QStringLiteral("expect")) {
        if (text != line.rest) {
            return fail(1, lineNumber,
                        QStringLiteral("status: wanted \"%1\", found \"%2\"").arg(line.rest, text));
        }
        return 0;
    }
    return fail(2, lineNumber, QStringLiteral("the status line can only be printed or expected"));
}

int ScriptRunner::triggerMenu(const QString& path, int lineNumber) {
    QList<QAction*> entries = form_.menuBar()->actions();
    QAction* found = nullptr;
    for (const QString& step : path.split('/')) {
        found = nullptr;
        for (QAction* entry : entries) {
            if (QString(entry->text()).remove('&') == step) {
                found = entry;
                break;
            }
        }
        if (!found) {
            return fail(2, lineNumber, QStringLiteral("no menu entry \"%1\"").arg(path));
        }
        entries = found->menu() ? found->menu()->actions() : QList<QAction*>();
    }
    found->trigger();
    return 0;
}

int ScriptRunner::actOnControl(const Line& line, int lineNumber) {
    if (line.name == QStringLiteral("status")) {
        return actOnStatus(line, lineNumber);
    }
    if (line.name == QStringLiteral("plot") && line.command == QStringLiteral("print")) {
        return actOnPlot(QString(), true, lineNumber);
    }
    QWidget* control = line.name == QStringLiteral("window") ? static_cast<QWidget*>(&form_)
                                                             : form_.controls().find(line.name);
    if (!control && line.command == QStringLiteral("screenshot")) {
        // Windows of their own (PlotWindow) and their parts are found by object name.
        control = form_.findChild<QWidget*>(line.name);
    }
    if (!control) {
        return actOnMenuItem(line, lineNumber);
    }
    const QString& command = line.command;
    if (control == &form_ && !windowCommand(command)) {
        return fail(2, lineNumber, QStringLiteral("the window takes no \"%1\"").arg(command));
    }
    if (command == QStringLiteral("set")) {
        form_.controls().setText(line.name, line.rest);
    } else if (command == QStringLiteral("check") || command == QStringLiteral("uncheck")) {
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (!button) {
            return fail(2, lineNumber, QStringLiteral("%1 cannot be checked").arg(line.name));
        }
        button->setChecked(command == QStringLiteral("check"));
    } else if (command == QStringLiteral("click")) {
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            if (!button->isEnabled()) {
                form_.refusals().explain(*button);
            }
            button->click();
        } else if (auto* label = qobject_cast<ClickableLabel*>(control)) {
            emit label->clicked();
        } else if (auto* panel = qobject_cast<ClickablePanel*>(control)) {
            emit panel->clicked();
        } else {
            return fail(2, lineNumber, QStringLiteral("%1 cannot be clicked").arg(line.name));
        }
    } else if (command == QStringLiteral("scroll")) {
        auto* bar = qobject_cast<QScrollBar*>(control);
        const auto position = text::parseInteger(line.rest);
        if (!bar || !position) {
            return fail(2, lineNumber, QStringLiteral("scroll needs a scroll bar and a position"));
        }
        bar->setValue(*position);
    } else if (command == QStringLiteral("print")) {
        for (const QString& text : printed(line.name)) {
            printLine(text);
        }
    } else if (command == QStringLiteral("screenshot")) {
        if (!writeScreenshot(*control, line.rest)) {
            return fail(2, lineNumber, QStringLiteral("cannot write %1").arg(line.rest));
        }
    } else {
        return expectation(line, control, lineNumber);
    }
    return 0;
}

int ScriptRunner::actOnPlot(const QString& words, bool print, int lineNumber) {
    auto* window = form_.findChild<plotwindow::PlotWindow*>();
    if (!window || window->isHidden()) {
        return fail(2, lineNumber,
                    QStringLiteral("the plot window is not open (menu View/Plot window)"));
    }
    if (print) {
        for (const QString& fact : window->facts()) {
            printLine(fact);
        }
        return 0;
    }
    const QString why = plotwindow::runPlotRecipe(*window, words);
    return why.isEmpty() ? 0 : fail(2, lineNumber, why);
}

// A menu item is found by its object name and can only be clicked.
int ScriptRunner::actOnMenuItem(const Line& line, int lineNumber) {
    auto* action = line.name.isEmpty() ? nullptr : form_.findChild<QAction*>(line.name);
    if (!action) {
        return fail(2, lineNumber, QStringLiteral("no control named \"%1\"").arg(line.name));
    }
    if (line.command != QStringLiteral("click")) {
        return fail(2, lineNumber, QStringLiteral("a menu item takes only \"click\""));
    }
    action->trigger();
    return 0;
}

// The window has a title, a visibility and an enabled state, and can be photographed; it
// cannot be typed into, checked, clicked or scrolled.
bool ScriptRunner::windowCommand(const QString& command) {
    for (const char* allowed :
         {"print", "expect", "expect-enabled", "expect-visible", "screenshot"}) {
        if (command == QLatin1String(allowed)) {
            return true;
        }
    }
    return false;
}

QStringList ScriptRunner::printed(const QString& name) const {
    if (name == QStringLiteral("window")) {
        return {QStringLiteral("window: %1").arg(form_.shownTitle())};
    }
    if (auto* list = qobject_cast<QListWidget*>(form_.controls().find(name))) {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i) {
            lines << QStringLiteral("%1: %2").arg(name, list->item(i)->text());
        }
        return lines;
    }
    return {QStringLiteral("%1: %2").arg(name, form_.controls().text(name))};
}

int ScriptRunner::expectation(const Line& line, QWidget* control, int lineNumber) {
    if (line.command == QStringLiteral("expect")) {
        const QString actual = printed(line.name).join('\n').mid(line.name.size() + 2);
        if (actual != line.rest) {
            return fail(1, lineNumber,
                        QStringLiteral("%1: wanted \"%2\", found \"%3\"")
                            .arg(line.name, line.rest, actual));
        }
        return 0;
    }
    if (line.command == QStringLiteral("expect-checked")) {
        auto* button = qobject_cast<QAbstractButton*>(control);
        return flagExpectation(line, button && button->isChecked(), lineNumber);
    }
    if (line.command == QStringLiteral("expect-enabled")) {
        return flagExpectation(line, control->isEnabled(), lineNumber);
    }
    if (line.command == QStringLiteral("expect-visible")) {
        return flagExpectation(line, !control->isHidden(), lineNumber);
    }
    return fail(2, lineNumber, QStringLiteral("unknown command \"%1\"").arg(line.command));
}

int ScriptRunner::flagExpectation(const Line& line, bool actual, int lineNumber) {
    if (line.rest != QStringLiteral("0") && line.rest != QStringLiteral("1")) {
        return fail(2, lineNumber, QStringLiteral("%1 needs 0 or 1").arg(line.command));
    }
    const bool wanted = line.rest == QStringLiteral("1");
    if (wanted != actual) {
        return fail(1, lineNumber,
                    QStringLiteral("%1 %2: wanted %3, found %4")
                        .arg(line.command, line.name, line.rest, actual ? "1" : "0"));
    }
    return 0;
}

}  // namespace tarvix::shell
