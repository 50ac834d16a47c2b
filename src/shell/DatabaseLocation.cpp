#include "shell/DatabaseLocation.h"

#include <QDir>

#include "journal/JournalDatabase.h"

namespace tarvix::shell {

QString databaseLocation(const QString& option, const QString& environment, bool configDirGiven,
                         const QString& dataFolder, QString* why) {
    const QString chosen = !option.isEmpty() ? option : environment;
    if (chosen.contains(QStringLiteral("://"))) {
        *why = QStringLiteral("database %1: only SQLite files are supported").arg(chosen);
        return {};
    }
    if (!chosen.isEmpty()) {
        return QDir::cleanPath(QDir::current().absoluteFilePath(chosen));
    }
    if (configDirGiven) {
        return {};
    }
    return QDir(dataFolder).filePath(QString::fromLatin1(journal::JournalDatabase::kFileName));
}

}  // namespace tarvix::shell
