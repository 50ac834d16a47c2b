// SPDX-License-Identifier: GPL-3.0-or-later
#include <QScrollBar>
#include <QTimer>
#include <functional>

#include "shell/FormFixture.h"
#include "text/NumberText.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

class IvReviewManual : public FormFixture {
  protected:
    // Runs `action` once the sweep has recorded its first points, however slow the machine.
    void whenRecording(std::function<void()> action) {
        poll_.disconnect();
        QObject::connect(&poll_, &QTimer::timeout, form.get(), [this, action] {
            if (form->store().liveCount(1) >= 2) {
                poll_.stop();
                action();
            }
        });
        poll_.start(5);
    }
    QTimer poll_;
};

}  // namespace

// "By Manual" chosen in the middle of a voltage sweep: from then on every move of the bar
// programs the source and records a point, as in the manual regime itself.
TEST_F(IvReviewManual, BarMovesRecordPointsInAnyRunningStart) {
    startForm(QStringLiteral("sim:noise=0,latency=2,sample=resistor:1000000"));
    setText("Edit41", "4000");
    whenRecording([this] {
        c().scrollBar("ScrollBar1")->setValue(7500);  // 1 V, not yet recorded
        setChecked("RadioButton75", true);
        c().scrollBar("ScrollBar1")->setValue(6000);  // 0.4 V, recorded
        QTimer::singleShot(60, form.get(), [this] { click("Button22"); });
    });
    click("Button1");
    const QStringList commands = sentTo(24);
    const QString range = QStringLiteral(":SOUR:VOLT:RANG  2.00000000000000E+0000");
    ASSERT_EQ(commands.count(range), 2);
    const qsizetype barPoint = commands.lastIndexOf(range);
    EXPECT_EQ(
        commands.mid(barPoint + 1, 3),
        QStringList({":SOUR:VOLT:LEV " + text::defaultReal(0.4f), ":FORM:ELEM CURR", ":READ?"}));
    EXPECT_EQ(commands.last(), ":OUTP OFF");
    // Once the action has ended the bar only moves the voltages again.
    transcript.clear();
    c().scrollBar("ScrollBar1")->setValue(5000);
    EXPECT_TRUE(sentTo(24).isEmpty());
}

// The running segment's level is shared with the bar: after a point recorded by the bar, a
// sweep that goes back to stepping steps on from the bar's level.
TEST_F(IvReviewManual, TheSweepStepsOnFromALevelTheBarSet) {
    startForm(QStringLiteral("sim:noise=0,latency=2,sample=resistor:1000000"));
    setText("Edit41", "4000");
    whenRecording([this] {
        c().scrollBar("ScrollBar1")->setValue(7500);
        setChecked("RadioButton75", true);
        c().scrollBar("ScrollBar1")->setValue(6000);  // records 0.4 V
        setChecked("RadioButton2", true);
        // Timers only fire between points, so the sweep steps at least once before Stop,
        // however slow the machine.
        QTimer::singleShot(60, form.get(), [this] { click("Button22"); });
    });
    click("Button1");
    const QStringList commands = sentTo(24);
    const qsizetype barPoint =
        commands.lastIndexOf(QStringLiteral(":SOUR:VOLT:RANG  2.00000000000000E+0000"));
    ASSERT_GT(barPoint, 0);
    const double stepped = static_cast<double>(0.4f) + 2.0 / 4000;
    EXPECT_EQ(commands.value(barPoint + 4), ":SOUR:VOLT:LEV " + text::defaultReal(stepped));
}
