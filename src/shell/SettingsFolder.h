// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::shell {

// The folder of Parameters.dat: the one asked for on the command line when given; else the
// program's own folder, as the program has always kept it, when that is a build or a folder
// of the user's own and the file can be written there; else the user's configuration folder.
// An installed program (under /usr, /bin, /sbin or /opt) always uses the user's folder,
// whoever runs it, root too: its folder belongs to the system. The user's folder is created
// when it is chosen.
QString settingsFolder(const QString& requested, const QString& programFolder,
                       const QString& userFolder);

}  // namespace tarvix::shell
