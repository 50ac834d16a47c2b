// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/DeviceAccess.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryFile>
#include <cstdio>
#include <cstdlib>

#include "buses/PrologixSerialTransport.h"

using namespace tarvix;

TEST(DeviceAccess, EachDeviceNamesItsGroupAndTheRule) {
    const struct {
        buses::GuardedDevice device;
        const char* group;
    } cases[] = {{buses::GuardedDevice::UsbSerial,
                  "join the group dialout (sudo usermod -aG "
                  "dialout $USER"},
                 {buses::GuardedDevice::GpibBoard,
                  "join the group gpib (sudo usermod -aG gpib "
                  "$USER"}};
    for (const auto& test : cases) {
        const QString advice = buses::permissionAdvice(test.device);
        EXPECT_TRUE(advice.startsWith(QString::fromLatin1(test.group))) << advice.toStdString();
        EXPECT_TRUE(advice.contains("60-tarvix.rules")) << advice.toStdString();
    }
}

// A device node the user may not open, as an unprivileged user meets it: the check runs in a
// child process that gives up root first (root opens anything).
TEST(DeviceAccess, ASerialPortThatRefusesTheUserNamesTheGroup) {
    QTemporaryFile device;
    ASSERT_TRUE(device.open());
    QFile::setPermissions(device.fileName(), {});
    const QString path = device.fileName();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            constexpr uid_t kNobody = 65534;
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
                std::exit(3);
            }
            QString error;
            buses::PrologixSerialTransport(path).open(&error);
            std::fprintf(stderr, "%s\n", qPrintable(error));
            std::exit(buses::deviceRefusesUser(path) ? 0 : 4);
        },
        ::testing::ExitedWithCode(0),
        "cannot open the controller's serial port .*: Permission denied: join the group dialout");
}
