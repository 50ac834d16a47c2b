// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace tarvix::shell {

// Message boxes and file dialogs: Qt dialogs in the window, queued answers and a printed log
// when a recipe script runs, so that nothing in an action waits for a person then.
class UiServices {
  public:
    virtual ~UiServices() = default;

    virtual void showMessage(const QString& text) = 0;
    // A message about something that happened on its own, such as a disk that filled up: it
    // must not hold up a running measurement, so the window does not wait for it to be read.
    virtual void notify(const QString& text) { showMessage(text); }
    // A Yes/No question; true for Yes. No, the default, keeps what the action would change.
    virtual bool ask(const QString& text) = 0;
    // `filter` in the design's form "Keithley (*.ktl)|*.ktl". Empty when cancelled.
    virtual std::optional<QString> saveFileName(const QString& title, const QString& filter) = 0;
    // `onCurrentChanged` runs for every file the operator highlights before choosing.
    virtual std::optional<QString> openFileName(
        const QString& title, const QString& filter,
        const std::function<void(const QString&)>& onCurrentChanged) = 0;
    // The path currently highlighted in the open dialog (or last chosen in it).
    virtual QString openDialogCurrentFile() const = 0;
};

// A message or dialog title of the design in the installed language (unchanged without one).
QString translatedDesignText(const QString& text);

// "Keithley (*.ktl)|*.ktl" -> "Keithley (*.ktl)"; several pairs are joined with ";;".
QString qtFilterFromDesign(const QString& filter);

class DialogUiServices : public UiServices {
  public:
    explicit DialogUiServices(QWidget* parent) : parent_(parent) {}
    // Dialogs and message boxes open over this window.
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void showMessage(const QString& text) override;
    void notify(const QString& text) override;
    bool ask(const QString& text) override;
    std::optional<QString> saveFileName(const QString& title, const QString& filter) override;
    std::optional<QString> openFileName(
        const QString& title, const QString& filter,
        const std::function<void(const QString&)>& onCurrentChanged) override;
    QString openDialogCurrentFile() const override { return currentOpenFile_; }

    // Each kind of file (each filter) opens in the folder where the last one of its kind was
    // chosen, for as long as the program runs.
    QString startFolder(const QString& filter) const { return lastFolders_.value(filter); }
    void rememberFolder(const QString& filter, const QString& chosenPath);

  private:
    QWidget* parent_;
    QString currentOpenFile_;
    QHash<QString, QString> lastFolders_;
};

class ScriptedUiServices : public UiServices {
  public:
    void showMessage(const QString& text) override;
    // Printed as "question: TEXT" and answered by the next queued reply; with none queued
    // the answer is No.
    bool ask(const QString& text) override;
    std::optional<QString> saveFileName(const QString& title, const QString& filter) override;
    std::optional<QString> openFileName(
        const QString& title, const QString& filter,
        const std::function<void(const QString&)>& onCurrentChanged) override;
    QString openDialogCurrentFile() const override { return currentOpenFile_; }

    void queueAnswer(const QString& path) { answers_.append(path); }
    void queueCancel() { answers_.append(QString()); }
    void queueReply(bool yes) { replies_.append(yes); }
    // A file the operator highlights in the next open dialog before its answer.
    void queueHighlight(const QString& path) { highlights_.append(path); }
    const QStringList& questions() const { return questions_; }
    const QStringList& messages() const { return messages_; }
    void setEcho(bool echo) { echo_ = echo; }

  private:
    std::optional<QString> nextAnswer();

    QStringList answers_;  // an empty entry is a cancel
    QStringList messages_;
    QStringList questions_;
    QList<bool> replies_;
    QStringList highlights_;
    QString currentOpenFile_;
    bool echo_ = true;
};

}  // namespace tarvix::shell
