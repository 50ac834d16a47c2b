// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WindowMenus.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "shell/ButtonRefusals.h"
#include "shell/ControlTables.h"
#include "shell/TForm1.h"

namespace tarvix::shell {

namespace {

QAction* addAction(QMenu* menu, const QString& text, const char* objectName,
                   const QKeySequence& shortcut) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(objectName));
    action->setShortcut(shortcut);
    return action;
}

}  // namespace

WindowMenus::WindowMenus(TForm1& form) : form_(form) {
    createFileMenu();
    createMeasurementMenu();
    createViewMenu();
}

void WindowMenus::createFileMenu() {
    file_ = form_.menuBar()->addMenu(QObject::tr("&File"));
    file_->setObjectName(QStringLiteral("MenuFile"));
    const struct {
        QString text;
        const char* objectName;
        QKeySequence shortcut;
        const char* button;
    } entries[] = {
        {QObject::tr("&Open files..."), "ActionOpen", QKeySequence::Open, "Button3"},
        {QObject::tr("&Save all series..."), "ActionSave", QKeySequence::Save, "Button5"},
        {QObject::tr("&Export for Origin..."), "ActionExport",
         QKeySequence(QStringLiteral("Ctrl+E")), "Button36"},
    };
    for (const auto& entry : entries) {
        QAction* action = addAction(file_, entry.text, entry.objectName, entry.shortcut);
        const QString button = QString::fromLatin1(entry.button);
        QObject::connect(action, &QAction::triggered, &form_, [this, button] { press(button); });
    }
}

void WindowMenus::addQuit() {
    file_->addSeparator();
    QAction* quit = addAction(file_, QObject::tr("&Quit"), "ActionQuit",
                              QKeySequence(QStringLiteral("Ctrl+Q")));
    QObject::connect(quit, &QAction::triggered, &form_, [this] { form_.close(); });
}

void WindowMenus::createMeasurementMenu() {
    QMenu* menu = form_.menuBar()->addMenu(QObject::tr("&Measurement"));
    menu->setObjectName(QStringLiteral("MenuMeasurement"));
    QAction* start =
        addAction(menu, QObject::tr("&Start"), "ActionStart", QKeySequence(Qt::Key_F5));
    QAction* stop =
        addAction(menu, QObject::tr("S&top"), "ActionStop", QKeySequence(Qt::Key_Escape));
    QObject::connect(start, &QAction::triggered, &form_, [this] { press(startButton()); });
    QObject::connect(stop, &QAction::triggered, &form_, [this] { press(stopButton()); });
}

void WindowMenus::createViewMenu() {
    QMenu* view = form_.menuBar()->addMenu(QObject::tr("&View"));
    view->setObjectName(QStringLiteral("MenuView"));
    addViewToggle(view, QObject::tr("Measurement mode"), "ActionShowMeasurementMode",
                  {"GroupBox7"});
    addViewToggle(view, QObject::tr("Analysis tools"), "ActionShowAnalysisTools",
                  analysisToolNames());
    addViewToggle(view, QObject::tr("Instrument options"), "ActionShowInstrumentOptions",
                  instrumentOptionNames(), {"RadioButton3"});
}

void WindowMenus::addViewToggle(QMenu* menu, const QString& text, const char* objectName,
                                const std::vector<const char*>& names,
                                const std::vector<const char*>& enableAlso) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(objectName));
    action->setCheckable(true);
    QObject::connect(action, &QAction::toggled, &form_, [this, names, enableAlso](bool shown) {
        for (const char* name : names) {
            form_.controls().setVisible(QString::fromLatin1(name), shown);
        }
        for (const char* name : enableAlso) {
            form_.controls().setEnabled(QString::fromLatin1(name), shown);
        }
    });
}

QString WindowMenus::startButton() const {
    if (!form_.controls().widget(QStringLiteral("Panel6"))->isHidden()) {
        return QStringLiteral("Button32");
    }
    if (!form_.controls().widget(QStringLiteral("Panel4"))->isHidden()) {
        return QStringLiteral("Button27");
    }
    return QStringLiteral("Button1");
}

// The LCR sweep ends on the I-V Stop, as the sweep under bias does.
QString WindowMenus::stopButton() const {
    return startButton() == QStringLiteral("Button27") ? QStringLiteral("Button28")
                                                       : QStringLiteral("Button22");
}

void WindowMenus::press(const QString& name) {
    QAbstractButton* button = form_.controls().anyButton(name);
    if (!button->isEnabled()) {
        form_.refusals().explain(*button);
        return;
    }
    button->click();
}

}  // namespace tarvix::shell
