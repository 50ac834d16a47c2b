// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DesktopIdentity.h"

#include <QApplication>
#include <QIcon>

namespace tarvix::shell {

void applyDesktopIdentity() {
    // The build names the desktop entry and the software centre's metainfo after this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(TARVIX_APP_ID));
    QIcon builtIn(QStringLiteral(":/icons/tarvix.svg"));
    builtIn.addFile(QStringLiteral(":/icons/tarvix-48.png"), QSize(48, 48));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tarvix"), builtIn));
}

}  // namespace tarvix::shell
