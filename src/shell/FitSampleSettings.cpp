// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FitSampleSettings.h"

#include <QDir>
#include <QSettings>

#include "analysis/SampleFields.h"
#include "shell/Controls.h"

namespace tarvix::shell {

namespace {

QString key(const char* field) {
    return QStringLiteral("fit/") + QString::fromLatin1(field);
}

}  // namespace

QString FitSampleSettings::path(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("tarvix-settings.ini"));
}

void FitSampleSettings::restore(const QString& folder, Controls& controls) {
    const QSettings settings(path(folder), QSettings::IniFormat);
    for (const char* field : analysis::kSampleFields) {
        const QVariant value = settings.value(key(field));
        if (value.isValid()) {
            controls.setText(QString::fromLatin1(field), value.toString());
        }
    }
}

bool FitSampleSettings::save(const QString& folder, const Controls& controls) {
    QSettings settings(path(folder), QSettings::IniFormat);
    for (const char* field : analysis::kSampleFields) {
        settings.setValue(key(field), controls.text(QString::fromLatin1(field)));
    }
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace tarvix::shell
