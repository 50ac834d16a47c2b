// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>

#include "mirror/ServerUpload.h"

namespace tarvix::mirror {

// Tells a bench's database from a copy of it. The server records where an identity was made
// (the machine and the database file); a database that finds another place on record while
// the original still holds the identity there, or that sits on another machine, is a copy
// and takes an identity of its own, so it never writes over the original's rows.
class BenchIdentity {
  public:
    // Where the database `file` is now.
    static BenchPlace here(const QString& file);

    // Whether the server's record names another bench's database than the one `here`.
    static bool isCopy(const BenchPlace& recorded, const BenchPlace& here, const QString& id);

    // Gives the bench's database `local` a new identity and forgets what any server holds
    // of it, so everything goes again under the new one; returns it (empty on failure).
    static QString renew(QSqlDatabase& local);

    // What the operator is told about the copy.
    static QString copyNotice(const BenchPlace& recorded, const BenchPlace& here);
};

}  // namespace tarvix::mirror
