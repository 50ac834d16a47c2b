// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::text {

// The program's version as the build states it ("1.1").
QString programVersion();

}  // namespace tarvix::text
