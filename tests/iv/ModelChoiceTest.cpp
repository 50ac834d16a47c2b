// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "bus/GpibBus.h"
#include "iv/AddressScan.h"
#include "iv/ModelChoice.h"
#include "iv/RangeTables.h"

using namespace tarvix;

namespace {

// Two source-measure units on one bus: a 2400 at 24 and a 2636A at 26.
class TwoSourceMeters : public bus::GpibBackend {
  public:
    int boardPresent() override { return 1; }
    int initialize(int, int) override { return 0; }
    int setTimeout(std::uint32_t) override { return 0; }
    int listenerPresent(int address) override { return address == 24 || address == 26; }
    void send(int address, const char*, int, int* status) override {
        last_ = address;
        *status = 0;
    }
    void enter(char* buffer, std::uint32_t, std::uint16_t*, int, int* status) override {
        const char* reply = last_ == 24 ? "KEITHLEY INSTRUMENTS INC.,MODEL 2400,1,C30"
                                        : "Keithley Instruments Inc., Model 2636A, 1, 2.1.6";
        std::memcpy(buffer, reply, std::strlen(reply) + 1);
        *status = 0;
    }

  private:
    int last_ = 0;
};

}  // namespace

TEST(ModelChoice, TheChosenModelMustAnswerAtItsOwnAddress) {
    struct Case {
        int chosenAddress;
        std::map<int, int> modelAt;
        int model;
        const char* refusal;
    };
    const Case cases[] = {
        {24, {{24, 2400}}, 2400, ""},
        {24, {{24, 2410}}, 2410, ""},  // the identified unit's ranges count
        {26, {{26, 2636}}, 2636, ""},
        {24, {{24, 2400}, {26, 2636}}, 2400, ""},
        {26, {{24, 2400}, {26, 2636}}, 2636, ""},
        {24, {{26, 2636}}, 0, "identified is a 2636A at address 26"},
        {26, {{24, 2400}}, 0, "identified is a 2400 at address 24"},
        {24, {{5, 2400}}, 0, "a 2400 at address 5"},
        {24, {}, 0, "No source-measure unit was identified"},
    };
    for (const Case& c : cases) {
        const iv::ModelChoice choice = iv::chooseSourceMeter(c.chosenAddress, "X", c.modelAt);
        EXPECT_EQ(choice.model, c.model) << c.refusal;
        EXPECT_TRUE(choice.refusal.contains(QString::fromLatin1(c.refusal)))
            << choice.refusal.toStdString();
        EXPECT_EQ(choice.refusal.isEmpty(), c.model != 0);
    }
}

TEST(ModelChoice, TheScanIdentifiesBothSourceMeters) {
    bus::GpibBus gpib(std::make_unique<TwoSourceMeters>());
    std::map<int, int> modelAt;
    iv::ScanCallbacks callbacks;
    callbacks.nowDays = [] { return 0.0; };
    callbacks.showMessage = [](const QString&) {};
    callbacks.addLine = [](const QString&) {};
    callbacks.identified = [&modelAt](int address, int model) { modelAt[address] = model; };
    iv::runAddressScan(gpib, iv::kNoModel, 0.0, callbacks);
    EXPECT_EQ(modelAt, (std::map<int, int>{{24, 2400}, {26, 2636}}));
    EXPECT_EQ(iv::chooseSourceMeter(24, "2400", modelAt).model, 2400);
    EXPECT_EQ(iv::chooseSourceMeter(26, "2636A", modelAt).model, 2636);
}
