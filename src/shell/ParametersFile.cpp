// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ParametersFile.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <array>

#include "shell/Controls.h"
#include "text/Cp1251.h"
#include "text/DecimalParse.h"
#include "text/FileError.h"
#include "text/SafeFileWriter.h"

namespace tarvix::shell {

namespace {

// Lines 2..23 in order; the first is CheckBox39, handled apart.
constexpr std::array<const char*, 22> kLineControls = {
    "Edit9",  "Edit10", "Edit12", "Edit11", "Edit14",     "Edit13",    "Edit16", "Edit15",
    "Edit18", "Edit17", "Edit20", "Edit19", "Edit22",     "Edit21",    "Edit8",  "Edit23",
    "Edit5",  "Edit4",  "Edit2",  "Edit3",  "CheckBox35", "CheckBox13"};

bool isVoltageLimit(const char* name) {
    return QByteArray(name) == "Edit2" || QByteArray(name) == "Edit3";
}

QString flag(const Controls& controls, const char* name) {
    return controls.checked(QString::fromLatin1(name)) ? QStringLiteral("1") : QStringLiteral("0");
}

QStringList splitLines(const QByteArray& bytes) {
    QStringList lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        lines << text::fromCp1251(line);
    }
    if (!bytes.isEmpty() && bytes.endsWith('\n')) {
        lines.removeLast();
    }
    return lines;
}

}  // namespace

QString ParametersFile::path(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("Parameters.dat"));
}

int ParametersFile::restore(const QString& folder, Controls& controls, QStringList* setAside) {
    QFile file(path(folder));
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return text::kReadBeyondEnd;
    }
    const QStringList lines = splitLines(bytes);
    const bool restoreAll = !lines.isEmpty() && lines.front() == QStringLiteral("1");
    controls.anyButton(QStringLiteral("CheckBox39"))->setChecked(restoreAll);
    if (!restoreAll) {
        return 0;
    }
    for (size_t i = 0; i < kLineControls.size(); ++i) {
        const qsizetype lineIndex = static_cast<qsizetype>(i) + 1;
        QString line = lineIndex < lines.size() ? lines[lineIndex] : QString();
        const QString name = QString::fromLatin1(kLineControls[i]);
        if (controls.kindOf(name) == ControlKind::CheckBox) {
            controls.anyButton(name)->setChecked(line == QStringLiteral("1"));
            continue;
        }
        if (isVoltageLimit(kLineControls[i])) {
            line.replace(',', '.');
        }
        // Every edit kept here holds a number; anything else would only make Start refuse
        // without a word.
        if (!text::parseDecimal(line)) {
            if (setAside) {
                setAside->append(QStringLiteral("line %1 (%2)").arg(lineIndex + 1).arg(name));
            }
            continue;
        }
        controls.setText(name, line);
    }
    return 0;
}

QString ParametersFile::setAsideMessage(const QStringList& setAside) {
    if (setAside.isEmpty()) {
        return {};
    }
    return QStringLiteral(
               "Parameters.dat: %1 did not hold a number; those fields keep their "
               "default values.")
        .arg(setAside.join(QStringLiteral(", ")));
}

QStringList ParametersFile::lines(const Controls& controls) {
    QStringList lines;
    lines << flag(controls, "CheckBox39");
    for (const char* name : kLineControls) {
        const QString control = QString::fromLatin1(name);
        lines << (controls.kindOf(control) == ControlKind::CheckBox ? flag(controls, name)
                                                                    : controls.text(control));
    }
    return lines;
}

int ParametersFile::save(const QString& folder, const Controls& controls) {
    return text::writeTextFile(path(folder), lines(controls));
}

}  // namespace tarvix::shell
