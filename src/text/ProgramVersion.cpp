// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ProgramVersion.h"

namespace tarvix::text {

QString programVersion() {
    return QStringLiteral(TARVIX_VERSION);
}

}  // namespace tarvix::text
