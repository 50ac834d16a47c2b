#pragma once

#include <QString>
#include <optional>

#include "mirror/ServerAddress.h"
#include "mirror/ServerDriver.h"

namespace tarvix::shell {

// Where the measurements are kept: always a SQLite file on the bench, and a lab's server
// that receives a copy when one is named.
struct DatabaseChoice {
    QString file;  // empty: the journal file beside Parameters.dat
    std::optional<mirror::ServerAddress> server;
};

// The --database option, else $TARVIX_DATABASE, names a file or a server. A file is used as
// it is; with a server (or with neither) the file is beside Parameters.dat when --config-dir
// names a folder of its own, else in `dataFolder` (the user's data folder). `*why` stays
// empty unless the choice is one this program cannot use, such as a server without Qt's
// driver for it installed.
DatabaseChoice databaseLocation(const QString& option, const QString& environment,
                                bool configDirGiven, const QString& dataFolder, QString* why,
                                bool serverDriverAvailable = mirror::serverDriverAvailable());

}  // namespace tarvix::shell
