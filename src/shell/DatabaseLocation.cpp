// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DatabaseLocation.h"

#include <QDir>

#include "journal/JournalDatabase.h"

namespace tarvix::shell {

DatabaseChoice databaseLocation(const QString& option, bool optionGiven, const QString& environment,
                                bool configDirGiven, const QString& dataFolder, QString* why,
                                bool serverDriverAvailable) {
    if (optionGiven && option.isEmpty()) {
        *why =
            QStringLiteral("--database names no file: give a file, a server address or \"none\"");
        return {};
    }
    const QString chosen = optionGiven ? option : environment;
    DatabaseChoice choice;
    if (chosen == QStringLiteral("none")) {
        choice.none = true;
        return choice;
    }
    if (mirror::ServerAddress::isServer(chosen)) {
        choice.server = mirror::ServerAddress::parse(chosen, why);
        if (!choice.server) {
            return {};
        }
        if (!serverDriverAvailable) {
            *why = mirror::missingServerDriver(chosen);
            return {};
        }
    } else if (!chosen.isEmpty()) {
        choice.file = QDir::cleanPath(QDir::current().absoluteFilePath(chosen));
        choice.named = true;
        return choice;
    }
    if (!configDirGiven) {
        choice.file =
            QDir(dataFolder).filePath(QString::fromLatin1(journal::JournalDatabase::kFileName));
    }
    return choice;
}

}  // namespace tarvix::shell
