// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/UiServices.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <cstdio>
#include <utility>

#include "shell/Controls.h"

namespace tarvix::shell {

QString translatedDesignText(const QString& text) {
    return QCoreApplication::translate(kCaptionContext, text.toUtf8().constData());
}

QString qtFilterFromDesign(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        filters << (description.contains('(')
                        ? description
                        : QStringLiteral("%1 (%2)").arg(description, parts[i + 1]));
    }
    return filters.isEmpty() ? filter : filters.join(QStringLiteral(";;"));
}

void DialogUiServices::rememberFolder(const QString& filter, const QString& chosenPath) {
    lastFolders_.insert(filter, QFileInfo(chosenPath).absolutePath());
}

void DialogUiServices::showMessage(const QString& text) {
    QMessageBox::information(parent_, QCoreApplication::applicationName(),
                             translatedDesignText(text));
}

void DialogUiServices::notify(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, QCoreApplication::applicationName(),
                                translatedDesignText(text), QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

bool DialogUiServices::ask(const QString& text) {
    return QMessageBox::question(parent_, QCoreApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> DialogUiServices::saveFileName(const QString& title, const QString& filter) {
    QFileDialog dialog(parent_, translatedDesignText(title), startFolder(filter),
                       qtFilterFromDesign(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString path = dialog.selectedFiles().front();
    rememberFolder(filter, path);
    return path;
}

std::optional<QString> DialogUiServices::openFileName(
    const QString& title, const QString& filter,
    const std::function<void(const QString&)>& onCurrentChanged) {
    QFileDialog dialog(parent_, translatedDesignText(title), startFolder(filter),
                       qtFilterFromDesign(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog reports every highlighted file, which the preview needs.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    QObject::connect(&dialog, &QFileDialog::currentChanged, [&](const QString& path) {
        currentOpenFile_ = path;
        if (onCurrentChanged) {
            onCurrentChanged(path);
        }
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString path = dialog.selectedFiles().front();
    currentOpenFile_ = path;
    rememberFolder(filter, path);
    return path;
}

void ScriptedUiServices::showMessage(const QString& designText) {
    const QString text = translatedDesignText(designText);
    messages_.append(text);
    if (echo_) {
        std::printf("message: %s\n", text.toUtf8().constData());
        std::fflush(stdout);
    }
}

bool ScriptedUiServices::ask(const QString& text) {
    questions_.append(text);
    if (echo_) {
        std::printf("question: %s\n", text.toUtf8().constData());
        std::fflush(stdout);
    }
    return !replies_.isEmpty() && replies_.takeFirst();
}

std::optional<QString> ScriptedUiServices::nextAnswer() {
    if (answers_.isEmpty()) {
        return std::nullopt;
    }
    const QString answer = answers_.takeFirst();
    if (answer.isEmpty()) {
        return std::nullopt;
    }
    return answer;
}

std::optional<QString> ScriptedUiServices::saveFileName(const QString&, const QString&) {
    return nextAnswer();
}

std::optional<QString> ScriptedUiServices::openFileName(
    const QString&, const QString&, const std::function<void(const QString&)>& onCurrentChanged) {
    for (const QString& highlighted : std::exchange(highlights_, {})) {
        currentOpenFile_ = highlighted;
        if (onCurrentChanged) {
            onCurrentChanged(highlighted);
        }
    }
    const auto answer = nextAnswer();
    if (answer) {
        // A person highlights the file before choosing it; the preview sees that too.
        currentOpenFile_ = *answer;
        if (onCurrentChanged) {
            onCurrentChanged(*answer);
        }
    }
    return answer;
}

}  // namespace tarvix::shell
