// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

#include "mirror/ServerError.h"

namespace tarvix::mirror {

// The tables of a lab's PostgreSQL database and the steps that bring it from empty, or from
// any earlier version, to the current one. The steps run in one transaction under an
// advisory lock, so benches that start together upgrade it once; schema_version lists the
// steps applied. Tables are those of a bench's own database with the bench's identity in
// every key: measurement(bench, id), segment, point, context, file(bench, id), plus bench
// and server_identity (the database's own UUID, by which a bench keeps its marks).
class ServerSchema {
  public:
    static constexpr int kCurrentVersion = 5;

    // The version of the server's tables (0: none yet), nullopt when it cannot be read.
    static std::optional<int> version(QSqlDatabase& db);
    // Brings the tables to `target`; refuses tables of a later version than this program's.
    // On failure `*why` says why in the operator's words and `*fault` what it means.
    static bool upgrade(QSqlDatabase& db, QString* why, int target = kCurrentVersion,
                        ServerFault* fault = nullptr);
    // The server database's identity (empty when it cannot be read).
    static QString identity(QSqlDatabase& db);
};

}  // namespace tarvix::mirror
