// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

#include "mirror/ServerAddress.h"
#include "mirror/ServerDriver.h"

namespace tarvix::shell {

// Where the measurements are kept: a SQLite file on the bench (unless the operator asked for
// none), and a lab's server that receives a copy when one is named.
struct DatabaseChoice {
    QString file;  // empty: the journal file beside Parameters.dat (or none at all)
    std::optional<mirror::ServerAddress> server;
    bool named = false;  // the operator named the file: its folder is never made
    bool none = false;   // "none": no database, nothing journaled
};

// The --database option (`optionGiven`: even with an empty value), else $TARVIX_DATABASE
// (empty: not set), names a file, a server or "none". A file is used as it is; with a
// server (or with neither) the file is beside Parameters.dat when --config-dir names a folder
// of its own, else in `dataFolder` (the user's data folder). An empty --database names
// nothing and is refused, so that a script's unset variable never picks a database by
// itself. `*why` stays empty unless the choice is one this program cannot use, such as a
// server without Qt's driver for it installed.
DatabaseChoice databaseLocation(const QString& option, bool optionGiven, const QString& environment,
                                bool configDirGiven, const QString& dataFolder, QString* why,
                                bool serverDriverAvailable = mirror::serverDriverAvailable());

}  // namespace tarvix::shell
