// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/ServerDriver.h"

#include <QSqlDatabase>

namespace tarvix::mirror {

bool serverDriverAvailable() {
    return QSqlDatabase::isDriverAvailable(QString::fromLatin1(kServerDriver));
}

QString missingServerDriver(const QString& address) {
    return QStringLiteral(
               "database %1: Qt's PostgreSQL driver (%2) is not installed; install the "
               "package %3 (sudo apt install %3)")
        .arg(address, QString::fromLatin1(kServerDriver),
             QString::fromLatin1(kServerDriverPackage));
}

}  // namespace tarvix::mirror
