// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/DeviceAccess.h"

#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace tarvix::buses {

QString permissionAdvice(GuardedDevice device) {
    const QString group =
        device == GuardedDevice::UsbSerial ? QStringLiteral("dialout") : QStringLiteral("gpib");
    return QStringLiteral(
               "join the group %1 (sudo usermod -aG %1 $USER, then log in again) or "
               "install the udev rule %2 that comes with the package; never run the "
               "program as root")
        .arg(group, QString::fromLatin1(kUdevRuleName));
}

bool isPermissionError(int errorNumber) {
    return errorNumber == EACCES || errorNumber == EPERM;
}

bool deviceRefusesUser(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0 &&
           isPermissionError(errno);
}

}  // namespace tarvix::buses
