#pragma once

#include <QString>

namespace tarvix::shell {

// Where the measurement database lives: the --database option, else $TARVIX_DATABASE, else
// beside Parameters.dat when --config-dir names a folder of its own (an empty result: the
// journal file there), else `dataFolder` (the user's data folder). Returns an empty `*why`
// unless the location is one this program cannot use.
QString databaseLocation(const QString& option, const QString& environment, bool configDirGiven,
                         const QString& dataFolder, QString* why);

}  // namespace tarvix::shell
