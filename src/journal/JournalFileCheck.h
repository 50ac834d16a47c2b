// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QSqlDatabase;
class QSqlError;

namespace tarvix::journal {

// What lies where a database file is to be, found without writing anything there. Only a
// file that is recognisably ours (a SQLite header and our application id or our tables) may
// ever be opened for writing, and so only such a file may ever be set aside when damaged;
// anything else is left exactly as it is.
struct JournalFileVerdict {
    enum class Kind {
        New,      // nothing there yet (or an empty file at a default place): a new database
        Ours,     // a database of this program (or an empty SQLite database)
        Refused,  // anything else: never touched
    };
    Kind kind = Kind::New;
    // Refused: why, in words that follow "cannot use PATH as the database: ".
    QString reason;
};

// `named`: the operator named the path. At the program's own default places a missing folder
// is made, and an empty file (what any SQLite reader leaves where it looked for the database)
// is a new database; a named path in a missing folder, or naming an empty file that may be
// another program's placeholder, is refused.
JournalFileVerdict inspectJournalFile(const QString& path, bool named);

// "cannot use PATH as the database: REASON", the one sentence of every refusal.
QString refusedJournalText(const QString& path, const QString& reason);

// "The database PATH is in use by another program (WHY)."
QString inUseText(const QString& path, const QString& why);

// SQLite's "another connection holds the lock" (SQLITE_BUSY, SQLITE_LOCKED): the file is in
// use, which is never a damage.
bool isLockedError(const QSqlError& error);
// SQLite's "this is no database" or "damaged" (SQLITE_CORRUPT, SQLITE_NOTADB).
bool isDamageError(const QSqlError& error);

// How long a start waits for another connection's transaction before it calls the file in use.
inline constexpr int kInUseWaitMs = 1000;

// What keeps a writer from starting on `db` now (no error: nothing), after waiting at most
// kInUseWaitMs for another connection's transaction to end.
QSqlError writeLockError(QSqlDatabase& db);
// The same for the existing database file `path`, opened for the question alone: SQLite's
// words when another program holds the file (`sqlite3` in a transaction), else empty.
QString lockedByAnotherProgram(const QString& path);

}  // namespace tarvix::journal
