// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLockFile>
#include <QString>

namespace tarvix::journal {

// One program per database file: a lock file beside it ("FILE.lock", beside the file a link
// leads to) that names the process
// holding it, kept for the life of the program. The lock of a process that is gone (killed,
// crashed) is stale and taken over; QLockFile checks the process id and its name.
class JournalLock {
  public:
    enum class State { Held, InUse, Failed };

    explicit JournalLock(const QString& databaseFile);
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;

    State tryLock();
    bool held() const { return file_.isLocked(); }
    // InUse: the process that holds the file, as the operator is told.
    QString inUseText() const;
    // Failed: why the lock file could not be made.
    QString failureText() const;

  private:
    QString databaseFile_;
    QLockFile file_;
};

}  // namespace tarvix::journal
