// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "thermo/FakeBench.h"
#include "thermo/FakeHost.h"
#include "thermo/ThermoPanel.h"

using namespace tarvix;
using namespace tarvix::thermo;
using fakes::BenchBus;
using fakes::FakeHost;

namespace {

class FourProbeRunTest : public ::testing::Test {
  protected:
    FourProbeRunTest() {
        bench.setMultimeter("0.0", "295");
        bench.bench->standing[24] = "+1.25E-01";
    }

    // Starts a run, forgets the start-up traffic, and takes `samples` ticks.
    void startAndTick(int samples) {
        panel.Button27Click();
        bench.transcript.clear();
        for (int i = 0; i < samples; ++i) {
            panel.Timer1Timer();
        }
    }

    BenchBus bench;
    FakeHost host;
    std::unique_ptr<ThermoRecord> record = std::make_unique<ThermoRecord>();
    ThermoPanel panel{*bench.bus, *record, host};
};

}  // namespace

TEST_F(FourProbeRunTest, StartConfiguresSourceUnitAndMultimeterInOrder) {
    host.checked = {{"RadioButton76", true}, {"CheckBox44", true}};  // 10 mA, two-wire
    host.texts["Edit52"] = "20";
    record->thermoCount = 42;
    panel.Button27Click();

    const QStringList expected{
        "timeout 1000",
        "send 24 0 *RST",
        "send 24 0 :SYST:RSEN OFF",
        "send 24 0 :SOUR:FUNC CURR",
        "send 24 0 :SOUR:CURR:MODE FIXED",
        "send 24 0 :SENS:FUNC \"VOLT\"",
        "send 24 0 :SOUR:CURR:RANG  2.00000000000000E-0002",
        "send 24 0 :SOUR:CURR:LEV  1.00000000000000E-0002",
        "send 24 0 :SENS:VOLT:PROT 20",
        "send 24 0 :FORM:ELEM VOLT",
        "send 16 0 *RST",
        "send 16 0 FUNC \"TEMP\"",
        "send 16 0 unit:temp K",
        "send 16 0 temp:rjun:rsel real",
        "send 16 0 rout:clos (@1)",
        "send 24 0 :OUTP ON",
    };
    EXPECT_EQ(bench.transcript.lines(), expected);
    EXPECT_EQ(record->thermoCount, 0);
    EXPECT_TRUE(host.timerActive);
    EXPECT_FALSE(host.stop);
    EXPECT_FALSE(host.enabled["Button27"]);
    EXPECT_TRUE(host.enabled["Button28"]);
    EXPECT_EQ(host.presented, 1);  // the chart is redrawn once before the run
}

TEST_F(FourProbeRunTest, FourWireSensingAndTheDefaultCurrent) {
    host.checked["CheckBox44"] = false;
    panel.Button27Click();
    const QStringList sends = bench.sends();
    EXPECT_TRUE(sends.contains("send 24 0 :SYST:RSEN ON"));
    EXPECT_TRUE(sends.contains("send 24 0 :SOUR:CURR:RANG  1.00000000000000E-0005"));
    EXPECT_TRUE(sends.contains("send 24 0 :SOUR:CURR:LEV  3.00000000000000E-0006"));
    EXPECT_DOUBLE_EQ(panel.fourProbeRun().sourceCurrent(), 3e-6);
}

TEST_F(FourProbeRunTest, EverySampleReadsResistanceThermocoupleAndReference) {
    host.checked["RadioButton76"] = true;
    host.checked["RadioButton19"] = false;
    host.texts["Edit63"] = "12";
    startAndTick(2);

    const QStringList oneSample{
        "send 24 0 :READ?",          "enter 24 70 0 +1.25E-01", "send 16 0 FUNC \"VOLT:DC\"",
        "send 16 0 rout:clos (@12)", "send 16 0 :READ?",        "enter 16 70 0 0.0",
        "send 16 0 :rout:open:all",  "send 16 0 FUNC \"TEMP\"", "send 16 0 rout:clos (@1)",
        "send 16 0 :READ?",          "enter 16 70 0 295",
    };
    EXPECT_EQ(bench.transcript.lines(), oneSample + oneSample);
    ASSERT_EQ(record->thermoCount, 2);
    EXPECT_DOUBLE_EQ(record->thermoResistance[2], 12.5);
    EXPECT_NEAR(record->thermoTemp[2], 22.6675495764, 1e-9);
    EXPECT_NEAR(record->thermoTime[2], (14 * 60 + 30) / 1440.0, 1e-12);
    EXPECT_EQ(host.texts["Edit54"], "2");
    EXPECT_EQ(host.texts["Edit51"], "22.668");
    EXPECT_EQ(host.texts["Edit50"], " 1.25000000000000E+0001");
    EXPECT_FALSE(host.texts["Label48"].isEmpty());
    EXPECT_TRUE(host.timerActive);
}

TEST_F(FourProbeRunTest, StopStoresOneMoreSampleThenSwitchesOff) {
    startAndTick(1);
    panel.Button28Click();
    EXPECT_TRUE(host.timerActive);  // Stop only sets the flag
    bench.transcript.clear();
    panel.Timer1Timer();

    EXPECT_EQ(record->thermoCount, 2);
    const QStringList sends = bench.sends();
    ASSERT_GE(sends.size(), 2);
    EXPECT_EQ(sends.mid(sends.size() - 2),
              QStringList({"send 24 0 :OUTP OFF", "send 16 0 :rout:open:all"}));
    EXPECT_FALSE(host.timerActive);
    EXPECT_TRUE(host.enabled["Button27"]);
    EXPECT_FALSE(host.enabled["Button28"]);

    // A tick that was already queued when the run ended changes nothing.
    bench.transcript.clear();
    panel.Timer1Timer();
    EXPECT_EQ(record->thermoCount, 2);
    EXPECT_TRUE(bench.transcript.lines().isEmpty());
}

TEST_F(FourProbeRunTest, AFullRecordEndsTheRunByItself) {
    panel.Button27Click();
    record->thermoCount = ThermoRecord::kMaxSamples - 2;
    panel.Timer1Timer();
    EXPECT_TRUE(host.timerActive);
    bench.transcript.clear();
    panel.Timer1Timer();

    EXPECT_EQ(record->thermoCount, ThermoRecord::kMaxSamples);
    EXPECT_DOUBLE_EQ(record->thermoResistance[ThermoRecord::kMaxSamples], 0.125 / 3e-6);
    EXPECT_FALSE(host.timerActive);
    const QStringList sends = bench.sends();
    EXPECT_EQ(sends.mid(sends.size() - 2),
              QStringList({"send 24 0 :OUTP OFF", "send 16 0 :rout:open:all"}));
}

TEST_F(FourProbeRunTest, ATickDeliveredWhileASampleLetsEventsRunIsIgnored) {
    panel.Button27Click();
    int nested = 0;
    host.onProcessEvents = [&] {
        if (nested++ == 0) {
            panel.Timer1Timer();
        }
    };
    panel.Timer1Timer();
    EXPECT_EQ(record->thermoCount, 1);
}

TEST_F(FourProbeRunTest, OtherProceduresWaitWhileARunIsGoing) {
    startAndTick(1);
    bench.transcript.clear();
    panel.Button30Click();  // Start_d
    panel.Button23Click();  // Termo
    panel.Button27Click();  // Start again
    EXPECT_TRUE(bench.transcript.lines().isEmpty());
    EXPECT_EQ(record->thermoCount, 1);
    // The refused Start left the run and its hold on the bus alone.
    EXPECT_TRUE(host.timerActive);
    EXPECT_EQ(host.owner.holder(), "4 probe Start");
    ASSERT_EQ(host.messages.size(), 3);
    EXPECT_EQ(
        host.messages[0],
        "\"4 probe Start\" is using the instruments; \"Start_d\" can start when it has ended.");
}

TEST_F(FourProbeRunTest, LcrMeterMeasuresBetweenTheFirstTwoTabs) {
    host.checked["CheckBox48"] = true;
    host.checked["RadioButton81"] = false;
    host.checked["RadioButton80"] = true;  // very slow: three readings are thrown away
    bench.bench->standing[4] = "R\t1.234E+03\t0.5\tOK";
    panel.Button27Click();
    const QStringList startSends = bench.sends();
    EXPECT_EQ(startSends.first(), "send 4 0 CONF:MAC SLO");
    EXPECT_FALSE(startSends.contains("send 24 0 :OUTP ON"));
    EXPECT_FALSE(startSends.contains("send 24 0 *RST"));

    bench.transcript.clear();
    panel.Timer1Timer();
    const QStringList lines = bench.transcript.lines();
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines.mid(0, 6), QStringList({"send 4 0 MEAS:", "enter 4 160 0 R\t1.234E+03\t0.5\tOK",
                                            "enter 4 160 0 R\t1.234E+03\t0.5\tOK",
                                            "enter 4 160 0 R\t1.234E+03\t0.5\tOK", "send 4 0 FETC?",
                                            "enter 4 160 0 R\t1.234E+03\t0.5\tOK"}));
    EXPECT_DOUBLE_EQ(record->thermoResistance[1], 1234.0);

    // The source unit is switched off at the end even though it was never switched on.
    panel.Button28Click();
    panel.Timer1Timer();
    EXPECT_TRUE(bench.sends().contains("send 24 0 :OUTP OFF"));
}

TEST_F(FourProbeRunTest, AFetchReplyWithoutTwoTabsStoresAMissingResistance) {
    host.checked["CheckBox48"] = true;
    // A good reply in the middle keeps the run from ending at three failures in a row.
    bench.bench->queued[4] = {"1.234E+03", "\t1.234E+03", "R\t5\t", "\t\t", "\tabc\t"};
    startAndTick(5);
    ASSERT_EQ(record->thermoCount, 5);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(std::isnan(record->thermoResistance[k]), k != 3) << k;
        EXPECT_NEAR(record->thermoTemp[k], 22.6675, 1e-4) << "the temperature is still taken";
    }
    EXPECT_EQ(host.texts["Edit50"].trimmed(), "Nan");
    EXPECT_TRUE(host.timerActive);
}

TEST_F(FourProbeRunTest, AnUnreadableSourceReplyIsMissingAndSilenceReadsAsZero) {
    bench.bench->queued[24] = {"+1.0E-01,+2", ""};
    startAndTick(2);
    EXPECT_TRUE(std::isnan(record->thermoResistance[1]));
    EXPECT_DOUBLE_EQ(record->thermoResistance[2], 0.0);
}

TEST_F(FourProbeRunTest, SpeedButtonsFollowTheLcrBoxAndTheScrollBarSetsThePeriod) {
    host.checked["CheckBox48"] = true;
    panel.CheckBox48Click();
    EXPECT_TRUE(host.enabled["RadioButton80"] && host.enabled["RadioButton81"] &&
                host.enabled["RadioButton82"]);
    host.checked["CheckBox48"] = false;
    panel.RadioButton59Click();
    EXPECT_FALSE(host.enabled["RadioButton80"] || host.enabled["RadioButton81"] ||
                 host.enabled["RadioButton82"]);
    EXPECT_EQ(host.presented, 1);

    panel.ScrollBar9Change(7);
    EXPECT_EQ(host.timerInterval, 7000);
    EXPECT_EQ(host.texts["Label50"], "7");
}

namespace {

// The last command sent to an address, from the transcript.
QString lastSentTo(const BenchBus& bench, int address) {
    const QString prefix = QStringLiteral("send %1 ").arg(address);
    QString last;
    for (const QString& line : bench.transcript.lines()) {
        if (line.startsWith(prefix)) {
            last = line.mid(line.indexOf(' ', prefix.size()) + 1);
        }
    }
    return last;
}

}  // namespace

// Two failed samples in a row are weathered; the count comes once, when the run ends.
TEST_F(FourProbeRunTest, AFlakyMultimeterKeepsTheRunGoingAndIsCountedAtTheEnd) {
    // Two reads a sample: the thermocouple, then the reference.
    bench.bench->enterStatusQueue[16] = {0, 0, 0x8000, 0, 0, 0x8000, 0, 0, 0x8000, 0x8000};
    startAndTick(5);
    EXPECT_TRUE(host.timerActive);
    EXPECT_TRUE(host.messages.isEmpty());
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(std::isnan(record->thermoTemp[k]), k == 2 || k == 3 || k == 5) << k;
        EXPECT_FALSE(std::isnan(record->thermoResistance[k])) << k;
    }
    panel.Button28Click();
    panel.Timer1Timer();
    EXPECT_FALSE(host.timerActive);
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].startsWith("3 of 6 samples are stored as missing."))
        << host.messages[0].toStdString();
}

TEST_F(FourProbeRunTest, AnOutputOffTheSourceRefusesIsReported) {
    bench.bench->failingCommands = {":OUTP OFF"};
    startAndTick(1);
    panel.Button28Click();
    panel.Timer1Timer();
    EXPECT_EQ(lastSentTo(bench, 24), ":OUTP OFF");
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].contains("did not take \":OUTP OFF\""))
        << host.messages[0].toStdString();
}

// The channel list and the compliance go into commands: both are checked before anything is
// sent, the channel from both ends of the scanner's range.
TEST_F(FourProbeRunTest, TextsForCommandsAreCheckedBeforeAnythingIsSent) {
    struct Case {
        const char* channel;
        const char* compliance;
        const char* closeCommand;  // nullptr: refused
        const char* field;
    };
    const Case cases[] = {
        {"1", "50", "rout:clos (@1)", ""},
        {"40", "2.5E1", "rout:clos (@40)", ""},
        {"0", "50", nullptr, "Edit63"},
        {"41", "50", nullptr, "Edit63"},
        {"(@7);*RST;(@1)", "50", nullptr, "Edit63"},
        {"", "50", nullptr, "Edit63"},
        {" 7", "50", nullptr, "Edit63"},
        {"7", "2O", nullptr, "Edit52"},
        {"7", "", nullptr, "Edit52"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channel + std::string(" / ") + c.compliance);
        BenchBus bench;
        FakeHost host;
        host.texts["Edit63"] = c.channel;
        host.texts["Edit52"] = c.compliance;
        auto record = std::make_unique<ThermoRecord>();
        ThermoPanel panel{*bench.bus, *record, host};
        panel.Button27Click();
        if (c.closeCommand) {
            EXPECT_TRUE(host.messages.isEmpty());
            panel.Timer1Timer();
            EXPECT_TRUE(bench.sends().contains(QStringLiteral("send 16 0 ") + c.closeCommand));
        } else {
            EXPECT_TRUE(bench.transcript.lines().isEmpty());
            ASSERT_EQ(host.messages.size(), 1);
            EXPECT_TRUE(host.messages[0].contains(c.field)) << host.messages[0].toStdString();
            EXPECT_FALSE(host.timerActive);
            EXPECT_FALSE(host.owner.busy());
        }
    }
}
