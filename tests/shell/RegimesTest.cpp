// SPDX-License-Identifier: GPL-3.0-or-later
#include <QScrollBar>
#include <QTimer>

#include "shell/FormFixture.h"
#include "text/NumberText.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

class Regimes : public FormFixture {
  protected:
    QStringList commandsTo24() {
        QStringList commands = sentTo(24);
        commands.removeAll(QStringLiteral("*IDN?"));
        return commands;
    }
};

}  // namespace

TEST_F(Regimes, ResistanceIsShownInTheDefaultRealForm) {
    startForm(QStringLiteral("sim:noise=0,latency=0,sample=resistor:1000"));
    setChecked("RadioButton1", true);
    click("Button1");
    EXPECT_EQ(commandsTo24(), QStringList({"*RST", "FUNC \"RES\"", ":FORM:ELEM RES", ":OUTP ON",
                                           ":READ?", ":OUTP OFF"}));
    EXPECT_EQ(text("Edit1"), " 1.00000000000000E+0003");
    EXPECT_EQ(text("Label1"), QString::fromUtf8("[Ом]"));
    EXPECT_EQ(form->store().seriesCount, 1);
}

TEST_F(Regimes, CurrentSweepTakesEightyOnePoints) {
    startForm(QStringLiteral("sim:noise=0,latency=0,sample=resistor:1000"));
    c().anyButton("RadioButton3")->setEnabled(true);
    setChecked("RadioButton3", true);
    EXPECT_TRUE(c().widget("Panel2")->isHidden());
    EXPECT_FALSE(c().widget("Panel3")->isHidden());
    click("Button1");
    const QStringList commands = commandsTo24();
    EXPECT_EQ(
        commands.mid(0, 9),
        QStringList({"*RST", ":SOUR:FUNC CURR", ":SOUR:CURR:MODE FIXED", ":SENS:FUNC \"VOLT\"",
                     ":SOUR:CURR:RANG  1.00000000000000E-0004",
                     ":SOUR:CURR:LEV -1.50000000000000E-0005",
                     ":SENS:VOLT:PROT  2.00000000000000E+0000", ":FORM:ELEM VOLT", ":OUTP ON"}));
    EXPECT_EQ(commands.count(":READ?"), 81);
    // The last current is the upper limit exactly, programmed once.
    const QString last = ":SOUR:CURR:LEV " + text::defaultReal(1.5e-5);
    EXPECT_EQ(commands.filter(":SOUR:CURR:LEV ").last(), last);
    EXPECT_EQ(commands.count(last), 1);
    const auto& store = form->store();
    EXPECT_EQ(store.liveCount(1), 81);
    EXPECT_NEAR(store.liveCurrent(1)[2] - store.liveCurrent(1)[1], 3.75e-7, 1e-12);
    // The current source drives the simulated cryostat's resistor: the voltages follow Ohm's law.
    EXPECT_GT(store.liveVoltage(1)[81], 0.0f);
    EXPECT_NEAR(store.liveVoltage(1)[1] / store.liveVoltage(1)[81], -1.0, 1e-5);
}

TEST_F(Regimes, ManualRegimeRecordsThePointsTheOperatorSets) {
    startForm(QStringLiteral("sim:noise=0,latency=1,sample=resistor:1000000"));
    setChecked("RadioButton75", true);
    c().scrollBar("ScrollBar1")->setValue(5000);  // 0 V
    QTimer::singleShot(60, form.get(), [this] { c().scrollBar("ScrollBar1")->setValue(7000); });
    // Stop once a few points were recorded at the bar's new voltage, however slow the machine.
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, form.get(), [this, &stop] {
        const auto& store = form->store();
        const int count = store.liveCount(1);
        if (count >= 3 && store.liveVoltage(1)[count] == 0.8f) {
            click("Button22");
            stop.stop();
        }
    });
    stop.start(5);
    click("Button1");
    const QStringList commands = commandsTo24();
    EXPECT_EQ(commands.mid(0, 8),
              QStringList({"*RST", ":SOUR:FUNC VOLT", ":SOUR:VOLT:MODE FIXED",
                           ":SOUR:VOLT:RANG  2.00000000000000E+0000",
                           ":SENS:CURR:PROT  2.00000000000000E-0006", ":FORM:ELEM CURR",
                           ":SOUR:VOLT:LEV  0.00000000000000E+0000", ":OUTP ON"}));
    EXPECT_TRUE(commands.contains(":SOUR:VOLT:LEV  8.00000011920929E-0001"));
    EXPECT_EQ(commands.last(), ":OUTP OFF");
    const auto& store = form->store();
    EXPECT_GE(store.liveCount(1), 3);
    EXPECT_FLOAT_EQ(store.liveVoltage(1)[store.liveCount(1)], 0.8f);
    EXPECT_NEAR(store.liveCurrent(1)[store.liveCount(1)], 0.8e-6, 1e-12);
    // Outside a running action the bar only moves the voltages.
    transcript.clear();
    c().scrollBar("ScrollBar1")->setValue(8000);
    EXPECT_TRUE(sentTo(24).isEmpty());
}

TEST_F(Regimes, TheTestOf2636ShowsTheRawReply) {
    startForm(QStringLiteral("sim:noise=0,latency=0,smu=2636A,sample=resistor:1000"));
    click("Button20");
    const QStringList commands = sentTo(26);
    EXPECT_EQ(commands.first(), "localnode.prompts = 0");
    EXPECT_TRUE(commands.contains("smua.source.levelv = 15"));
    EXPECT_EQ(commands.last(), "smua.source.output = smua.OUTPUT_OFF");
    EXPECT_EQ(text("Edit1"), "1.00000e-02");
}

TEST_F(Regimes, TimeDependenceFillsTheNextColumnWithinTheTable) {
    startForm(QStringLiteral("sim:noise=0,latency=0,sample=resistor:1000000"));
    setText("Edit41", "1");
    setChecked("CheckBox42", true);
    click("Button1");
    EXPECT_TRUE(sentTo(24).contains(":SOUR:VOLT:LEV 0"));
    const auto& table = form->timeTable();
    EXPECT_EQ(table.timeColumn(), 1);
    const int rows = text("Edit45").toInt();
    EXPECT_GE(rows, 1);
    EXPECT_LE(rows, 400);
    EXPECT_EQ(table.cell(1, 11), table.elapsedMs(1, 1));
    EXPECT_GE(table.elapsedMs(1, 1), 0.0);
    // With a fast bus the 400 rows fill before the 8 s: that is said, not written past.
    if (rows == 400) {
        EXPECT_EQ(ui.messages().size(), 1);
    }
}

TEST_F(Regimes, HoldLoopReadsUntilReleased) {
    startForm(QStringLiteral("sim:noise=0,latency=1"));
    setText("Edit41", "1");
    setChecked("CheckBox49", true);
    EXPECT_TRUE(c().widget("Button33")->isEnabled());
    // The operator releases each hold a little after it starts.
    QTimer release;
    QObject::connect(&release, &QTimer::timeout, form.get(), [this] { click("Button33"); });
    release.start(40);
    click("Button1");
    release.stop();
    const QStringList commands = sentTo(24);
    const qsizetype on = commands.indexOf(":OUTP ON");
    EXPECT_EQ(commands.mid(on + 1, 4),
              QStringList({":SOUR:VOLT:LEV  0.00000000000000E+0000", ":SENS:FUNC \"VOLT\"",
                           ":FORM:ELEM VOLT", ":READ?"}));
    EXPECT_EQ(commands.last(), ":OUTP OFF");
    EXPECT_EQ(form->store().storedCount(1, 1), 2);
}
