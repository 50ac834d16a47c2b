// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "thermo/FakeBench.h"
#include "thermo/FakeHost.h"
#include "thermo/SourceCurrent.h"
#include "thermo/ThermoPanel.h"
#include "thermo/ThermocoupleConversion.h"

using namespace tarvix;
using namespace tarvix::thermo;
using fakes::BenchBus;
using fakes::FakeHost;

TEST(ThermocoupleConversion, RoomReferenceAndNoVoltageGiveRoomTemperature) {
    const double kelvin = thermocoupleTemperature(0.0, 295.0);
    EXPECT_NEAR(kelvin, 295.6675495764, 1e-9);
    EXPECT_NEAR(kelvinToCelsius(kelvin), 22.6675495764, 1e-9);
    // A voltage far below the fit has no real root: -1 K, shown as -274 deg C.
    EXPECT_EQ(thermocoupleTemperature(-1.0, 295.0), -1.0);
    EXPECT_EQ(kelvinToCelsius(thermocoupleTemperature(-1.0, 295.0)), -274.0);
    EXPECT_TRUE(std::isnan(thermocoupleTemperature(std::nan(""), 295.0)));
    EXPECT_GT(thermocoupleTemperature(0.004, 295.0), thermocoupleTemperature(0.0, 295.0));
}

TEST(SourceCurrent, TheRangeIsTheFirstThatHoldsTheCurrent) {
    const std::map<QString, double> expectedRange{{"RadioButton17", 1e-6}, {"RadioButton18", 1e-6},
                                                  {"RadioButton19", 1e-5}, {"RadioButton20", 1e-5},
                                                  {"RadioButton21", 1e-4}, {"RadioButton22", 1e-4},
                                                  {"RadioButton77", 1e-3}, {"RadioButton76", 0.02},
                                                  {"RadioButton78", 0.1},  {"RadioButton79", 1.0}};
    for (const SourceCurrentButton& choice : kSourceCurrentButtons) {
        EXPECT_EQ(sourceRangeFor(choice.amperes), expectedRange.at(choice.button.toString()))
            << choice.button.toString().toStdString();
    }
    EXPECT_EQ(sourceRangeFor(5.0), 1.0);
}

namespace {

class ThermocoupleProceduresTest : public ::testing::Test {
  protected:
    BenchBus bench;
    FakeHost host;
    std::unique_ptr<ThermoRecord> record = std::make_unique<ThermoRecord>();
    ThermoPanel panel{*bench.bus, *record, host};
};

}  // namespace

TEST_F(ThermocoupleProceduresTest, StartDRecordsChannelSevenEveryFiveSecondsUntilStop) {
    bench.setMultimeter("0.0", "295");
    host.texts["Edit63"] = "12";  // ignored by Start_d
    record->thermoCount = 50;
    int samples = 0;
    host.onProcessEvents = [&] {
        EXPECT_FALSE(host.enabled["Button30"]);
        EXPECT_TRUE(host.enabled["Button28"]);
        if (++samples == 3) {
            panel.Button28Click();
        }
    };
    panel.Button30Click();

    EXPECT_EQ(record->thermoCount, 3);
    EXPECT_EQ(host.sleptMilliseconds, 3 * 5000);
    const QStringList sends = bench.sends();
    EXPECT_EQ(sends.mid(0, 5),
              QStringList({"send 16 0 *RST", "send 16 0 FUNC \"TEMP\"", "send 16 0 unit:temp K",
                           "send 16 0 temp:rjun:rsel real", "send 16 0 rout:clos (@1)"}));
    EXPECT_EQ(sends.mid(5, 7), QStringList({"send 16 0 FUNC \"VOLT:DC\"",
                                            "send 16 0 rout:clos (@7)", "send 16 0 :READ?",
                                            "send 16 0 :rout:open:all", "send 16 0 FUNC \"TEMP\"",
                                            "send 16 0 rout:clos (@1)", "send 16 0 :READ?"}));
    EXPECT_EQ(sends.last(), "send 16 0 :rout:open:all");
    EXPECT_EQ(record->thermoTemp[2], 0.0);
    EXPECT_EQ(record->thermoRefTemp[2], 295.0);
    EXPECT_NEAR(record->thermoTcTemp[2], 295.6675495764, 1e-9);
    EXPECT_EQ(host.texts["Edit51"], " 2.95000000000000E+0002");
    EXPECT_EQ(host.texts["Edit57"].left(8), " 2.26675");
    EXPECT_FALSE(host.stop);  // the loop clears the flag when it ends
    EXPECT_TRUE(host.enabled["Button30"]);
    EXPECT_FALSE(host.enabled["Button28"]);
}

TEST_F(ThermocoupleProceduresTest, TermoShowsThreeHundredReadingsThenOpensTheChannels) {
    bench.bench->standing[16] = "2.9512E+02";
    panel.Button23Click();
    const QStringList sends = bench.sends();
    ASSERT_EQ(sends.size(), 3 + 1 + 300 + 1);
    EXPECT_EQ(sends.mid(0, 5),
              QStringList({"send 16 0 *RST", "send 16 0 FUNC \"TEMP\"", "send 16 0 temp:tc:type k",
                           "send 16 0 :rout:clos (@2)", "send 16 0 :READ?"}));
    EXPECT_EQ(sends.last(), "send 16 0 :rout:open:all");
    EXPECT_EQ(host.texts["Edit49"], " 2.95120000000000E+0002");
    EXPECT_EQ(host.eventRuns, 300);
}

TEST_F(ThermocoupleProceduresTest, TermoStopsAtTheFirstFailedReading) {
    bench.bench->standing[16] = "295";
    bench.bench->failEntersAfter = 4;
    panel.Button23Click();
    const QStringList sends = bench.sends();
    // The fifth reading fails; only the closing command is sent after it.
    EXPECT_EQ(sends.size(), 3 + 1 + 5 + 1);
    EXPECT_EQ(sends[sends.size() - 2], "send 16 0 :READ?");
    EXPECT_EQ(sends.last(), "send 16 0 :rout:open:all");
    EXPECT_EQ(host.eventRuns, 4);
    EXPECT_EQ(host.messages,
              QStringList{"Termo was ended: the instrument at address 16 failed on \":READ?\" "
                          "(status 32768)."});
    // The panel is free again afterwards.
    bench.bench->failEntersAfter = -1;
    bench.transcript.clear();
    panel.Button23Click();
    EXPECT_EQ(bench.sends().size(), 305);
}

// Start_d: a refused set-up takes no sample; a multimeter that stops answering ends the loop
// after three samples, each stored as missing, with the scanner opened last.
TEST_F(ThermocoupleProceduresTest, StartDFaultsAtSetUpAndAtAReading) {
    bench.bench->sendStatus[16] = 0x8000;
    panel.Button30Click();
    EXPECT_EQ(record->thermoCount, 0);
    EXPECT_EQ(host.sleptMilliseconds, 0);
    EXPECT_EQ(host.messages, QStringList{"Start_d was not started: the instrument at address 16 "
                                         "failed on \"*RST\" (status 32768)."});
    EXPECT_EQ(bench.sends().last(), "send 16 32768 :rout:open:all");

    bench.bench->sendStatus.clear();
    bench.bench->enterStatus[16] = 0x8000;
    bench.transcript.clear();
    host.messages.clear();
    panel.Button30Click();
    EXPECT_EQ(record->thermoCount, 3);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_TRUE(std::isnan(record->thermoTemp[k]) && std::isnan(record->thermoRefTemp[k]) &&
                    std::isnan(record->thermoTcTemp[k]))
            << k;
    }
    EXPECT_EQ(bench.sends().last(), "send 16 0 :rout:open:all");
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(
        host.messages[0].startsWith("Start_d was ended: 3 failed readings in a row. 3 of 3 "
                                    "samples are stored as missing."))
        << host.messages[0].toStdString();
    EXPECT_TRUE(host.enabled["Button30"]);
    EXPECT_FALSE(host.owner.busy());
}
