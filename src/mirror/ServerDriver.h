// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::mirror {

// Qt's driver for the lab's server: a plugin that Debian ships in a package of its own, which
// a bench without a server need not install.
inline constexpr char kServerDriver[] = "QPSQL";
inline constexpr char kServerDriverPackage[] = "libqt6sql6-psql";

bool serverDriverAvailable();

// Why the server named `address` cannot be used here: the package to install.
QString missingServerDriver(const QString& address);

}  // namespace tarvix::mirror
