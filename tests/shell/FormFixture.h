// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <memory>

#include "bus/BusTranscript.h"
#include "buses/createBus.h"
#include "shell/TForm1.h"
#include "shell/UiServices.h"

namespace tarvix::shell::testing {

// A main window on the simulated bench (or another bus), with scripted dialogs, a transcript
// of every bus call and its own configuration folder.
class FormFixture : public ::testing::Test {
  protected:
    void startForm(const QString& bus = QStringLiteral("sim:noise=0,latency=0")) {
        form.reset();
        QString error;
        gpib = buses::createBus(bus, &error, &transcript);
        ASSERT_TRUE(gpib) << error.toStdString();
        ui.setEcho(false);
        forgetJournal();
        form = std::make_unique<TForm1>(*gpib, ui, FormOptions{configDir.path(), {}});
    }

    // Ends the window and empties its configuration folder (settings and recovery journal), so
    // that the next window starts from the design state with nothing to recover.
    void freshConfigFolder() {
        form.reset();
        QDir(configDir.path()).removeRecursively();
        QDir().mkpath(configDir.path());
    }
    // Each window starts from an empty recovery journal unless a test restarts on purpose:
    // what an earlier window measured would otherwise come back into the new one. Call it
    // with no window open.
    void forgetJournal() {
        if (keepJournal) {
            return;
        }
        for (const QString& file :
             QDir(configDir.path()).entryList({QStringLiteral("tarvix-journal.sqlite*")})) {
            QFile::remove(configDir.filePath(file));
        }
    }
    bool keepJournal = false;

    void TearDown() override {
        if (form) {
            form->close();
        }
    }

    Controls& c() { return form->controls(); }
    void click(const char* name) { c().anyButton(QString::fromLatin1(name))->click(); }
    void setText(const char* name, const QString& text) {
        c().setText(QString::fromLatin1(name), text);
    }
    QString text(const char* name) { return c().text(QString::fromLatin1(name)); }
    bool checked(const char* name) { return c().checked(QString::fromLatin1(name)); }
    void setChecked(const char* name, bool on) {
        c().anyButton(QString::fromLatin1(name))->setChecked(on);
    }
    // Transcript lines that start with `prefix` ("send 24", "enter 14" ...).
    QStringList linesStarting(const QString& prefix) const {
        QStringList result;
        for (const QString& line : transcript.lines()) {
            if (line.startsWith(prefix)) {
                result << line;
            }
        }
        return result;
    }
    QStringList sentTo(int address) const {
        QStringList result;
        const QString prefix = QStringLiteral("send %1 ").arg(address);
        for (const QString& line : transcript.lines()) {
            if (line.startsWith(prefix)) {
                result << line.mid(line.indexOf(' ', prefix.size()) + 1);
            }
        }
        return result;
    }

    QTemporaryDir configDir;
    bus::BusTranscript transcript;
    std::unique_ptr<bus::GpibBus> gpib;
    ScriptedUiServices ui;
    std::unique_ptr<TForm1> form;
};

}  // namespace tarvix::shell::testing
