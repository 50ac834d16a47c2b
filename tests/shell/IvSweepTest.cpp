// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QListWidget>
#include <QScrollBar>
#include <QTimer>
#include <cmath>

#include "shell/FormFixture.h"
#include "text/NumberText.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

class IvSweep : public FormFixture {
  protected:
    // Commands sent to `address` after the identification scan.
    QStringList sweepCommands(int address) {
        QStringList commands = sentTo(address);
        commands.removeAll(QStringLiteral("*IDN?"));
        return commands;
    }
    static QString level(double volts) { return ":SOUR:VOLT:LEV " + text::defaultReal(volts); }
    static QStringList currentReading() {
        return {":SENS:FUNC \"CURR\"", ":FORM:ELEM CURR", ":READ?"};
    }
};

}  // namespace

TEST_F(IvSweep, DefaultSweepOnA2400) {
    startForm(QStringLiteral("sim:noise=0,latency=0,sample=resistor:1000000"));
    click("Button1");
    QStringList expected = {"*RST",
                            ":SOUR:FUNC VOLT",
                            ":SOUR:VOLT:MODE FIXED",
                            ":SOUR:VOLT:RANG  2.00000000000000E+0000",
                            ":SENS:CURR:PROT  2.00000000000000E-0006",
                            ":FORM:ELEM CURR",
                            ":SOUR:VOLT:LEV  0.00000000000000E+0000",
                            ":OUTP ON"};
    for (int i = 0; i <= 40; ++i) {
        expected << level(i == 40 ? 2.0 : i * 0.05) << currentReading();
    }
    expected << ":OUTP OFF";
    const QStringList actual = sweepCommands(24);
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        if (i < 9 || i == actual.size() - 1) {
            EXPECT_EQ(actual[i], expected[i]) << i;
        }
    }
    EXPECT_EQ(actual[actual.size() - 5], level(2.0));
    // One series committed at once, and the counter one further, on an empty slot.
    EXPECT_EQ(form->store().seriesCount, 2);
    EXPECT_EQ(form->store().storedCount(1, 1), 41);
    EXPECT_FLOAT_EQ(form->store().storedVoltage(1, 1)[41], 2.0f);
    EXPECT_FLOAT_EQ(form->store().storedCurrent(1, 1)[41], 2e-6f);
    EXPECT_EQ(form->store().liveSegmentCount(), 0);
    EXPECT_EQ(text("Edit2"), "-2");
    EXPECT_EQ(text("Edit3"), "2");
    EXPECT_TRUE(form->store().segmentLabel(1, 1).endsWith("ms"));
    EXPECT_TRUE(form->ivState().stopRequested);
    EXPECT_TRUE(c().widget("Button1")->isEnabled());
}

TEST_F(IvSweep, TimeoutsAndOutputOnFollowTheSetUp) {
    startForm();
    setText("Edit41", "1");
    click("Button1");
    const QStringList lines = transcript.lines();
    const qsizetype on = lines.indexOf("send 24 0 :OUTP ON");
    ASSERT_GT(on, 0);
    EXPECT_EQ(lines.mid(on + 1, 3), QStringList({"timeout 1000", "timeout 1000", "timeout 1000"}));
    const qsizetype reset = lines.indexOf("send 24 0 *RST");
    EXPECT_EQ(lines[reset - 1], "timeout 1000");
}

TEST_F(IvSweep, A2636IsDrivenWithScriptLines) {
    startForm(QStringLiteral("sim:noise=0,latency=0,smu=2636A"));
    setChecked("RadioButton90", true);
    setText("Edit41", "2");
    click("Button1");
    const QStringList actual = sweepCommands(26);
    const QStringList head = {"localnode.prompts = 0",
                              "reset()",
                              "display.screen = display.SMUA",
                              "display.smua.measure.func = display.MEASURE_DCAMPS",
                              "smua.source.autorangev = smua.AUTORANGE_ON",
                              "smua.source.levelv =  0.00000000000000E+0000",
                              "smua.source.limiti =  2.00000000000000E-0006",
                              "smua.source.autorangei = smua.AUTORANGE_ON",
                              "smua.measure.lowrangei =1E-8",
                              "smua.measure.nplc = 1",
                              "smua.source.output = smua.OUTPUT_ON",
                              "smua.source.levelv =  0.00000000000000E+0000",
                              "print(smua.measure.i())",
                              "smua.source.levelv =  1.00000000000000E+0000",
                              "print(smua.measure.i())",
                              "smua.source.levelv =  2.00000000000000E+0000",
                              "print(smua.measure.i())",
                              "smua.source.output = smua.OUTPUT_OFF"};
    EXPECT_EQ(actual, head);
    EXPECT_EQ(form->store().storedCount(1, 1), 3);
}

TEST_F(IvSweep, PicoammeterReadsThreeTimesFirstAndTwiceAtTheEnd) {
    startForm(QStringLiteral("sim:noise=0,latency=0,sample=resistor:1000000"));
    setChecked("CheckBox38", true);
    setText("Edit41", "2");
    click("Button1");
    const QStringList pico = sweepCommands(14);
    QStringList expected = {"*RST", "CURR:RANG:AUTO ON", "CURR:NPLC 2", "SYST:ZCH OFF"};
    expected << "READ?"
             << "READ?"
             << "READ?"
             << "READ?"
             << "READ?"
             << "READ?"
             << "SYST:ZCH ON";
    EXPECT_EQ(pico, expected);
    // The 6485's reply carries further fields; the number is its first 13 characters.
    EXPECT_NEAR(form->store().storedCurrent(1, 1)[2], 1e-6, 1e-12);
    EXPECT_FALSE(sweepCommands(24).contains(":SENS:FUNC \"CURR\""));
}

// The levels programmed for a segment: N + 1 of them, a + i (b - a) / N, the end exactly once,
// in step-count and velocity mode alike.
TEST_F(IvSweep, EachSegmentProgramsItsExactLevels) {
    struct Case {
        const char* start;
        const char* end;
        const char* steps;  // the step count, or the velocity with a "v" in front
        double a;
        double b;
        int n;
    };
    const Case cases[] = {{"0", "1", "10", 0, 1, 10},
                          {"1", "0", "10", 1, 0, 10},
                          {"-2", "0", "7", -2, 0, 7},
                          {"0", "2", "40", 0, 2, 40},
                          {"0", "2", "v0.3", 0, 2, 7}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.start) + " -> " + k.end + " " + k.steps);
        gpib.reset();
        startForm();
        const QString steps = QString::fromLatin1(k.steps);
        if (steps.startsWith('v')) {
            setChecked("RadioButton4", true);
            setText("Edit9", k.start);
            setText("Edit10", k.end);
            setText("Edit40", steps.mid(1));
        } else {
            setText("Edit9", k.start);
            setText("Edit10", k.end);
            setText("Edit41", steps);
        }
        transcript.clear();
        click("Button1");
        QStringList expected;
        for (int i = 0; i <= k.n; ++i) {
            expected << level(i == k.n ? k.b : k.a + i * (k.b - k.a) / k.n);
        }
        QStringList levels = sweepCommands(24).filter(":SOUR:VOLT:LEV ");
        levels.removeFirst();  // the set-up's first level
        EXPECT_EQ(levels, expected);
        EXPECT_EQ(form->store().storedCount(1, 1), k.n + 1);
        form->close();
        freshConfigFolder();
    }
}

TEST_F(IvSweep, SegmentWithEqualEndsGivesTwoPoints) {
    startForm();
    setText("Edit10", "1");
    setText("Edit9", "1");
    click("Button1");
    EXPECT_EQ(form->store().storedCount(1, 1), 2);
}

TEST_F(IvSweep, OnlyEnabledSegmentsAreMeasured) {
    startForm();
    setText("Edit41", "4");
    setChecked("CheckBox4", true);
    click("Button1");
    const auto& store = form->store();
    EXPECT_EQ(store.storedCount(1, 1), 5);
    EXPECT_EQ(store.storedCount(2, 1), 0);
    EXPECT_EQ(store.storedCount(3, 1), 5);
    EXPECT_FLOAT_EQ(store.storedVoltage(3, 1)[5], -2.0f);
    EXPECT_EQ(store.storedCount(4, 1), 0);
    EXPECT_TRUE(sentTo(24).contains(":SOUR:VOLT:LEV  0.00000000000000E+0000"));
}

TEST_F(IvSweep, RepetitionsAreCommittedAsSeries) {
    startForm();
    setText("Edit41", "2");
    setText("Edit61", "3");
    click("Button1");
    EXPECT_EQ(form->store().seriesCount, 4);
    for (int series = 1; series <= 3; ++series) {
        EXPECT_EQ(form->store().storedCount(1, series), 3) << series;
    }
}

TEST_F(IvSweep, RangesFollowTheModel) {
    startForm();
    setText("Edit41", "1");
    setText("Edit10", "150");
    click("Button1");
    EXPECT_TRUE(sentTo(24).contains(":SOUR:VOLT:RANG  2.00000000000000E+0002"));
    transcript.clear();
    setText("Edit10", "250");
    click("Button1");
    EXPECT_TRUE(sweepCommands(24).isEmpty());
    EXPECT_TRUE(c().widget("Button1")->isEnabled());
}

TEST_F(IvSweep, A2410RangesUpTo1000Volts) {
    startForm(QStringLiteral("sim:noise=0,latency=0,smu=2410"));
    setText("Edit41", "1");
    setText("Edit10", "150");
    click("Button1");
    EXPECT_TRUE(sentTo(24).contains(":SOUR:VOLT:RANG  1.00000000000000E+0003"));
}

TEST_F(IvSweep, StopEndsTheSegmentAndCommitsEveryRepetition) {
    startForm(QStringLiteral("sim:noise=0,latency=2"));
    setText("Edit41", "400");
    setText("Edit61", "2");
    setChecked("CheckBox2", true);
    QTimer::singleShot(150, form.get(), [this] { click("Button22"); });
    click("Button1");
    const auto& store = form->store();
    EXPECT_GT(store.storedCount(1, 1), 1);
    EXPECT_LT(store.storedCount(1, 1), 401);
    EXPECT_EQ(store.storedCount(2, 1), 0);
    EXPECT_FALSE(store.segmentLabel(2, 1).isEmpty());
    EXPECT_FALSE(store.segmentLabel(2, 1).contains("ms"));
    EXPECT_EQ(store.storedCount(1, 2), 0);
    EXPECT_EQ(store.seriesCount, 3);
    EXPECT_EQ(sentTo(24).last(), ":OUTP OFF");
}

TEST_F(IvSweep, PlanErrorsEndTheStartWithTheReason) {
    startForm();
    setText("Edit61", "0");
    click("Button1");
    EXPECT_EQ(text("Label10"), "error!");
    EXPECT_TRUE(sweepCommands(24).isEmpty());
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().startsWith("The repeat count (\"0\")"));
    EXPECT_EQ(form->store().seriesCount, 0);
    EXPECT_TRUE(form->ivState().stopRequested);
}

TEST_F(IvSweep, ClosingDuringASweepStopsItAndSwitchesTheOutputOff) {
    startForm(QStringLiteral("sim:noise=0,latency=2"));
    setText("Edit41", "400");
    QTimer::singleShot(100, form.get(), [this] { form->close(); });
    click("Button1");
    EXPECT_EQ(sentTo(24).last(), ":OUTP OFF");
    EXPECT_TRUE(form->isHidden());
    EXPECT_TRUE(QFile::exists(configDir.filePath("Parameters.dat")));
}

TEST_F(IvSweep, AFullStoreRefusesTheMeasurementBeforeAnyCommand) {
    startForm();
    setText("Edit41", "1");
    form->store().seriesCount = 150;
    click("Button1");
    EXPECT_TRUE(sweepCommands(24).isEmpty());
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().contains("150"));
    form->store().seriesCount = 148;
    setText("Edit61", "3");
    click("Button1");
    EXPECT_TRUE(sweepCommands(24).isEmpty());
    EXPECT_EQ(form->store().seriesCount, 148);
    setText("Edit61", "2");
    click("Button1");
    EXPECT_EQ(form->store().storedCount(1, 150), 2);
    EXPECT_EQ(form->store().seriesCount, 151);
}
