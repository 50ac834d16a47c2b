#include "buses/DeviceAccess.h"

#include <gtest/gtest.h>

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
