// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SettingsFolder.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>

#include "shell/ParametersFile.h"

namespace tarvix::shell {

namespace {

// The folders of an installed system: a program there never keeps its settings beside
// itself, whoever runs it (root can write there, and must not).
bool isSystemFolder(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    for (const char* root : {"/usr", "/bin", "/sbin", "/opt"}) {
        const QString system = QString::fromLatin1(root);
        if (canonical == system || canonical.startsWith(system + QLatin1Char('/'))) {
            return true;
        }
    }
    return false;
}

// A folder of the user's own, or a build (CMake's cache in it or just above it).
bool isUsersOrBuildFolder(const QFileInfo& info) {
    if (info.ownerId() == ::geteuid()) {
        return true;
    }
    const QDir folder(info.absoluteFilePath());
    return folder.exists(QStringLiteral("CMakeCache.txt")) ||
           folder.exists(QStringLiteral("../CMakeCache.txt"));
}

bool canKeepSettingsIn(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isWritable() || isSystemFolder(folder) ||
        !isUsersOrBuildFolder(info)) {
        return false;
    }
    const QFileInfo file(ParametersFile::path(folder));
    return !file.exists() || file.isWritable();
}

}  // namespace

QString settingsFolder(const QString& requested, const QString& programFolder,
                       const QString& userFolder) {
    if (!requested.isEmpty()) {
        return requested;
    }
    if (canKeepSettingsIn(programFolder)) {
        return programFolder;
    }
    QDir().mkpath(userFolder);
    return userFolder;
}

}  // namespace tarvix::shell
