// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QStringList>
#include <cstring>

#include "bus/GpibBus.h"
#include "iv/AddressScan.h"
#include "iv/CheckedBus.h"
#include "iv/RangeTables.h"
#include "iv/Regimes.h"

using namespace tarvix;

namespace {

// One instrument at address 5 whose identification carries Windows-1251 letters.
class CyrillicIdentification : public bus::GpibBackend {
  public:
    int boardPresent() override { return 1; }
    int initialize(int, int) override { return 0; }
    int setTimeout(std::uint32_t) override { return 0; }
    int listenerPresent(int address) override { return address == 5 ? 1 : 0; }
    void send(int, const char*, int, int* status) override { *status = 0; }
    void enter(char* buffer, std::uint32_t, std::uint16_t* count, int, int* status) override {
        const char reply[] = "\xCF\xF0\xE8\xE1\xEE\xF0 2400";  // "Прибор 2400"
        std::memcpy(buffer, reply, sizeof reply);
        *count = static_cast<std::uint16_t>(sizeof reply - 1);
        *status = 0;
    }
};

}  // namespace

// The window shows texts in the program's code page, instruments' replies included.
TEST(AddressScanLines, RepliesAreShownInTheProgramsCodePage) {
    bus::GpibBus gpib(std::make_unique<CyrillicIdentification>());
    QStringList lines;
    iv::ScanCallbacks callbacks;
    callbacks.nowDays = [] { return 0.0; };
    callbacks.showMessage = [](const QString&) {};
    callbacks.addLine = [&lines](const QString& line) { lines << line; };
    EXPECT_EQ(iv::runAddressScan(gpib, iv::kNoModel, 0.0, callbacks), 2400);
    EXPECT_EQ(lines, QStringList{QString::fromUtf8("ADDRESS=5  Прибор 2400")});
}

TEST(AddressScanLines, TheRawReplyOfThe2636TestIsDecodedAlike) {
    bus::GpibBus gpib(std::make_unique<CyrillicIdentification>());
    iv::CheckedBus link(gpib);
    QStringList problems;
    EXPECT_EQ(iv::test2636(link, problems), QString::fromUtf8("Прибор 2400"));
}
