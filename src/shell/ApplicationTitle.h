// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::shell {

// The program's title, two blanks before the version.
inline QString applicationTitle() {
    return QStringLiteral("Tarvix  1.1");
}

}  // namespace tarvix::shell
