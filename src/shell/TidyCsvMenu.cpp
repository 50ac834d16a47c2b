// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TidyCsvMenu.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "shell/FileActionTexts.h"
#include "shell/TForm1.h"
#include "status/StatusService.h"
#include "text/FileError.h"

namespace tarvix::shell {

namespace {

const QString kFilter = QStringLiteral("CSV table (*.csv)|*.csv");

void exportTo(TForm1& form, const QString& title, const TidyCsvMenu::Writer& write,
              const TidyCsvMenu::Refusal& refusal) {
    if (const QString reason = refusal ? refusal() : QString(); !reason.isEmpty()) {
        form.ui().showMessage(reason);
        return;
    }
    const auto chosen = form.ui().saveFileName(title, kFilter);
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    const QString path = TidyCsvMenu::withCsvExtension(*chosen);
    if (const int error = write(path); error != text::kFileOk) {
        form.ui().showMessage(text::fileErrorText(error));
        return;
    }
    form.status().say(file_action_texts::exportedTable(title, path));
}

}  // namespace

void TidyCsvMenu::add(TForm1& form, const QString& objectName, const QString& text, Writer write,
                      Refusal refusal) {
    QAction* action = form.fileMenu()->addAction(text);
    action->setObjectName(objectName);
    QString title = text;
    title.remove(QStringLiteral("..."));
    QObject::connect(action, &QAction::triggered, &form,
                     [&form, title, write = std::move(write), refusal = std::move(refusal)] {
                         exportTo(form, title, write, refusal);
                     });
}

text::CsvHeading TidyCsvMenu::heading(TForm1& form, const QString& source, const QString& date) {
    text::CsvHeading heading;
    heading.source = source;
    heading.date = date;
    heading.comment = form.controls().text(QStringLiteral("Edit44"));
    heading.written = QDateTime::currentDateTime();
    return heading;
}

QString TidyCsvMenu::withCsvExtension(const QString& chosen) {
    return QFileInfo(chosen).suffix().isEmpty() ? chosen + QStringLiteral(".csv") : chosen;
}

}  // namespace tarvix::shell
