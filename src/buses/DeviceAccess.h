// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::buses {

// The devices a bus opens that the system guards with a group.
enum class GuardedDevice {
    UsbSerial,  // a Prologix-style GPIB-USB controller, /dev/ttyUSB*
    GpibBoard,  // a linux-gpib board, /dev/gpib*
};

// The rule the package installs so that these devices need no root.
inline constexpr char kUdevRuleName[] = "60-tarvix.rules";

// What to do when `device` refused this user: the group to join, or the rule that lets the
// user at the seat in. A program run as root would leave root-owned files in the user's
// folders, so it says so.
QString permissionAdvice(GuardedDevice device);

// Whether a system error number means the user may not open the device.
bool isPermissionError(int errorNumber);

// Whether the device file at `path` refuses this user reading and writing. (A serial port that
// another program holds is also a permission error to Qt, but no group would help there.)
bool deviceRefusesUser(const QString& path);

}  // namespace tarvix::buses
