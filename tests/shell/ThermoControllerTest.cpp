// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSpinBox>
#include <QTimer>

#include "shell/FormFixture.h"
#include "shell/IvChartView.h"
#include "shell/StartController.h"

using namespace tarvix;
using namespace tarvix::shell;

namespace {

// A point of the temperature chart's plot area that no grid line, label or point covers.
constexpr QPoint kPlotBackground(620, 20);
const QRgb kChartGreen = qRgb(0, 255, 0);

class ThermoControllerTest : public shell::testing::FormFixture {
  protected:
    void SetUp() override { startForm(); }

    QWidget* widget(const char* name) { return c().widget(QString::fromLatin1(name)); }
    QTimer* timer1() { return form->findChild<QTimer*>(QStringLiteral("Timer1")); }
    // One tick of the sampling clock, handled at once.
    void tick() { QMetaObject::invokeMethod(timer1(), "timeout", Qt::DirectConnection); }
    QRgb chartPixel() { return form->chart().ivBitmap().pixel(kPlotBackground); }
    // Paints the shared chart image black, so that a redraw shows.
    void blankChart() { form->chart().ivBitmap().fill(Qt::black); }

    void openFourProbePanel() {
        c().setVisible(QStringLiteral("GroupBox7"), true);
        setChecked("RadioButton59", true);
    }
};

}  // namespace

TEST_F(ThermoControllerTest, FourProbeModeShowsThePanelAboveTheChartArea) {
    blankChart();
    openFourProbePanel();

    EXPECT_FALSE(widget("Panel1")->isVisibleTo(form.get()));
    EXPECT_TRUE(widget("Panel4")->isVisibleTo(form.get()));
    EXPECT_FALSE(widget("Panel6")->isVisibleTo(form.get()));
    EXPECT_TRUE(widget("Panel5")->isVisibleTo(form.get()));
    EXPECT_EQ(widget("Panel5")->pos(), QPoint(56, 184));
    EXPECT_EQ(chartPixel(), kChartGreen);  // the temperature chart replaced the I-V chart
    // The LCR meter is not chosen, so its speeds cannot be picked.
    for (const char* speed : {"RadioButton80", "RadioButton81", "RadioButton82"}) {
        EXPECT_FALSE(widget(speed)->isEnabled()) << speed;
    }
}

TEST_F(ThermoControllerTest, LcrMeterBoxEnablesItsSpeeds) {
    openFourProbePanel();
    setChecked("CheckBox48", true);
    for (const char* speed : {"RadioButton80", "RadioButton81", "RadioButton82"}) {
        EXPECT_TRUE(widget(speed)->isEnabled()) << speed;
    }
    setChecked("CheckBox48", false);
    EXPECT_FALSE(widget("RadioButton82")->isEnabled());
}

TEST_F(ThermoControllerTest, CloseReturnsToTheIvPanelAndLeavesTheChartAreaWhereItIs) {
    openFourProbePanel();
    click("Button25");
    EXPECT_TRUE(widget("Panel1")->isVisibleTo(form.get()));
    EXPECT_FALSE(widget("Panel4")->isVisibleTo(form.get()));
    EXPECT_EQ(widget("Panel5")->pos(), QPoint(56, 184));
}

TEST_F(ThermoControllerTest, CloseDoesNotStopARunningAcquisition) {
    openFourProbePanel();
    click("Button27");
    click("Button25");
    EXPECT_TRUE(timer1()->isActive());
    tick();
    EXPECT_EQ(text("Edit54"), QStringLiteral("1"));
}

TEST_F(ThermoControllerTest, PeriodBarSetsTimer1AndItsLabel) {
    c().scrollBar(QStringLiteral("ScrollBar9"))->setValue(7);
    EXPECT_EQ(timer1()->interval(), 7000);
    EXPECT_EQ(text("Label50"), QStringLiteral("7"));
}

TEST_F(ThermoControllerTest, EachLimitEditRedrawsTheTemperatureChart) {
    for (const char* limit : {"Edit55", "Edit48", "Edit62"}) {
        blankChart();
        setText(limit, QStringLiteral("abc"));
        EXPECT_EQ(chartPixel(), kChartGreen) << limit;
    }
}

TEST_F(ThermoControllerTest, SaveStepUpDownAndEditFollowEachOther) {
    QSpinBox* upDown = c().upDown(QStringLiteral("UpDown1"));
    upDown->setValue(4);
    EXPECT_EQ(text("Edit53"), QStringLiteral("4"));
    setText("Edit53", QStringLiteral("12"));
    EXPECT_EQ(upDown->value(), 12);
    setText("Edit53", QStringLiteral("abc"));  // refused later by the save itself
    EXPECT_EQ(upDown->value(), 12);
    EXPECT_EQ(text("Edit53"), QStringLiteral("abc"));
    upDown->stepBy(1);
    EXPECT_EQ(text("Edit53"), QStringLiteral("13"));
}

TEST_F(ThermoControllerTest, StartAndStopSwapTheButtonsAndTheTimer) {
    openFourProbePanel();
    click("Button27");
    EXPECT_TRUE(timer1()->isActive());
    EXPECT_FALSE(widget("Button27")->isEnabled());
    EXPECT_TRUE(widget("Button28")->isEnabled());
    EXPECT_FALSE(form->ivState().stopRequested);

    click("Button28");
    EXPECT_TRUE(form->ivState().stopRequested);
    EXPECT_TRUE(timer1()->isActive());  // the next sample is still taken
    tick();
    EXPECT_FALSE(timer1()->isActive());
    EXPECT_TRUE(widget("Button27")->isEnabled());
    EXPECT_FALSE(widget("Button28")->isEnabled());
    EXPECT_EQ(text("Edit54"), QStringLiteral("1"));
}

TEST_F(ThermoControllerTest, TheIvStopButtonAlsoEndsAFourProbeRun) {
    openFourProbePanel();
    click("Button27");
    tick();
    form->startAction().Button22Click();
    transcript.clear();
    tick();
    EXPECT_FALSE(timer1()->isActive());
    EXPECT_EQ(sentTo(24).last(), QStringLiteral(":OUTP OFF"));
    EXPECT_EQ(sentTo(16).last(), QStringLiteral(":rout:open:all"));
}

TEST_F(ThermoControllerTest, ClosingTheWindowSwitchesARunningSourceOff) {
    openFourProbePanel();
    click("Button27");
    tick();
    transcript.clear();
    form->close();
    EXPECT_FALSE(timer1()->isActive());
    EXPECT_EQ(sentTo(24).last(), QStringLiteral(":OUTP OFF"));
    EXPECT_EQ(sentTo(16).last(), QStringLiteral(":rout:open:all"));
}

TEST_F(ThermoControllerTest, SaveRefusesAStepBelowOneBeforeAskingForAName) {
    const QString chosen = configDir.filePath(QStringLiteral("refused"));
    setText("Edit53", QStringLiteral("0"));
    ui.queueAnswer(chosen);
    click("Button29");
    EXPECT_EQ(ui.messages().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(chosen + QStringLiteral(".temp")));

    // The answer is still waiting for the next save, which takes it.
    setText("Edit53", QStringLiteral("1"));
    click("Button29");
    EXPECT_TRUE(QFileInfo::exists(chosen + QStringLiteral(".temp")));
}

TEST_F(ThermoControllerTest, CancelledSaveWritesNothing) {
    ui.queueCancel();
    click("Button31");
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_TRUE(QDir(configDir.path()).entryList({QStringLiteral("*.temp")}).isEmpty());
}
