// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/BenchIdentity.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUuid>

#include "mirror/BoundQuery.h"

namespace tarvix::mirror {

namespace {

// The identity held by the database at `file`, read-only; empty when there is none.
QString identityAt(const QString& file) {
    if (!QFileInfo(file).isFile()) {
        return {};
    }
    const QString connection = QStringLiteral("identity-") + QUuid::createUuid().toString();
    QString id;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open()) {
            QSqlQuery query = boundQuery(db, QStringLiteral("SELECT id FROM bench"), {});
            id = query.next() ? query.value(0).toString() : QString();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return id;
}

}  // namespace

BenchPlace BenchIdentity::here(const QString& file) {
    const QFileInfo info(file);
    const QString path = info.canonicalFilePath();
    return {QString::fromLatin1(QSysInfo::machineUniqueId()),
            path.isEmpty() ? info.absoluteFilePath() : path};
}

bool BenchIdentity::isCopy(const BenchPlace& recorded, const BenchPlace& here, const QString& id) {
    // A record of an earlier program names no place: the first bench to come takes it.
    if (recorded.machine.isEmpty() || recorded == here) {
        return false;
    }
    if (recorded.machine != here.machine) {
        return true;
    }
    // Moved on this machine: nothing holds the identity where it was made any more.
    return identityAt(recorded.journal) == id;
}

QString BenchIdentity::renew(QSqlDatabase& local) {
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!local.transaction()) {
        return {};
    }
    bool done = boundQuery(local, QStringLiteral("UPDATE bench SET id = ?"), {id}).isActive();
    for (const char* table : {"mirror_segment", "mirror_final", "mirror_server"}) {
        done = done &&
               boundQuery(local, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)), {})
                   .isActive();
    }
    if (!done || !local.commit()) {
        local.rollback();
        return {};
    }
    return id;
}

QString BenchIdentity::copyNotice(const BenchPlace& recorded, const BenchPlace& here) {
    const QString original = recorded.machine == here.machine
                                 ? QDir::toNativeSeparators(recorded.journal)
                                 : QStringLiteral("%1 on another computer")
                                       .arg(QDir::toNativeSeparators(recorded.journal));
    return QStringLiteral(
               "The measurement database %1 is a copy of %2. It now has a bench identity of its "
               "own: everything it holds goes to the lab's server once more under that "
               "identity, and the original's measurements there stay as they are.")
        .arg(QDir::toNativeSeparators(here.journal), original);
}

}  // namespace tarvix::mirror
