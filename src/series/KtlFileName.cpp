// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlFileName.h"

namespace tarvix::series {

QString ktlSaveName(const QString& chosen) {
    return isKtlName(chosen) ? chosen : chosen + QLatin1String(kKtlExtension);
}

bool isKtlName(const QString& name) {
    return name.contains(QLatin1String(kKtlExtension), Qt::CaseSensitive);
}

}  // namespace tarvix::series
