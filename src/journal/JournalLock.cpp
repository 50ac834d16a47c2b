// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalLock.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

namespace tarvix::journal {

namespace {

// Beside the file itself: two programs that reach it by different links share one lock.
QString lockPath(const QString& databaseFile) {
    const QFileInfo info(databaseFile);
    return (info.exists() ? info.canonicalFilePath() : info.absoluteFilePath()) +
           QStringLiteral(".lock");
}

}  // namespace

JournalLock::JournalLock(const QString& databaseFile)
    : databaseFile_(databaseFile), file_(lockPath(databaseFile)) {
    // Held for as long as the program runs: only a dead holder makes it stale, never its age.
    file_.setStaleLockTime(0);
}

JournalLock::State JournalLock::tryLock() {
    if (file_.isLocked() || file_.tryLock(0)) {
        return State::Held;
    }
    return file_.error() == QLockFile::LockFailedError ? State::InUse : State::Failed;
}

QString JournalLock::inUseText() const {
    qint64 pid = 0;
    QString host;
    QString application;
    if (!file_.getLockInfo(&pid, &host, &application)) {
        return QStringLiteral("The database %1 is in use by another program.")
            .arg(QDir::toNativeSeparators(databaseFile_));
    }
    const QString where = host.isEmpty() || host == QSysInfo::machineHostName()
                              ? QString()
                              : QStringLiteral(" on %1").arg(host);
    return QStringLiteral("The database %1 is in use by another Tarvix (process %2%3).")
        .arg(QDir::toNativeSeparators(databaseFile_))
        .arg(pid)
        .arg(where);
}

QString JournalLock::failureText() const {
    const QString lockFile = QDir::toNativeSeparators(file_.fileName());
    if (file_.error() == QLockFile::PermissionError) {
        return QStringLiteral("the lock file %1 cannot be made: permission denied").arg(lockFile);
    }
    return QStringLiteral("the lock file %1 cannot be made").arg(lockFile);
}

}  // namespace tarvix::journal
