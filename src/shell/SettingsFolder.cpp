#include "shell/SettingsFolder.h"

#include <QDir>
#include <QFileInfo>

#include "shell/ParametersFile.h"

namespace tarvix::shell {

namespace {

bool canKeepSettingsIn(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isWritable()) {
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
