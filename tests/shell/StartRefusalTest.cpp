// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QScrollBar>
#include <QTimer>
#include <functional>

#include "shell/FormFixture.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

class StartRefusal : public FormFixture {
  protected:
    int sendsBesidesIdentification() const {
        int count = 0;
        for (const QString& line : transcript.lines()) {
            count += line.startsWith(QStringLiteral("send")) && !line.endsWith(" *IDN?") ? 1 : 0;
        }
        return count;
    }
};

}  // namespace

// A Start that cannot run says why in one message, sends nothing to a source-measure unit
// (with a bad text, nothing at all: not even the identification scan), changes no edit and
// leaves the store as it was.
TEST_F(StartRefusal, EveryRefusalSaysWhyAndChangesNothing) {
    struct Case {
        const char* name;
        const char* bus;
        std::function<void()> setUp;
        const char* message;
        bool scanned;  // the identification scan ran before the refusal
    };
    const Case cases[] = {
        {"compliance text", "", [this] { setText("Edit6", "2O"); },
         "compliance current (Edit6: \"2O\") is not a number", false},
        {"compliance 0", "", [this] { setText("Edit6", "0"); }, "(Edit6: \"0\") must be above 0",
         false},
        {"voltage compliance", "",
         [this] {
             c().anyButton("RadioButton3")->setEnabled(true);
             setChecked("RadioButton3", true);
             setText("Edit7", "-1");
         },
         "voltage compliance (Edit7: \"-1\") must be above 0", false},
        {"current sweep level", "",
         [this] {
             c().anyButton("RadioButton3")->setEnabled(true);
             setChecked("RadioButton3", true);
             setText("Edit5", "1.5E-5;*RST");
         },
         "(Edit5: \"1.5E-5;*RST\") is not a number", false},
        {"segment level", "", [this] { setText("Edit11", "(@1)"); },
         "The end of segment 2 (\"(@1)\") is not a number", false},
        {"step count beyond the table", "", [this] { setText("Edit41", "10000"); },
         "use at most 9999 steps", false},
        {"negative step count", "", [this] { setText("Edit41", "-5"); },
         "The number of points (-5) is below 0", false},
        {"manual step count", "",
         [this] {
             setChecked("RadioButton75", true);
             setText("Edit61", "x");
         },
         "The repeat count (\"x\")", false},
        {"manual voltage limit", "",
         [this] {
             setChecked("RadioButton75", true);
             setText("Edit3", "2,5");
         },
         "upper voltage limit (Edit3: \"2,5\") is not a number", false},
        {"no segment", "", [this] { setChecked("CheckBox7", false); },
         "No segment of the sweep table is enabled", true},
        {"peak beyond the range", "", [this] { setText("Edit10", "250"); },
         "The peak voltage 250 V is beyond the ranges of the 2400", true},
        {"no unit", "absent=24", [] {}, "No source-measure unit was identified", true},
        {"2636A chosen", "", [this] { setChecked("RadioButton90", true); },
         "chose the 2636A at address 26, but the source-measure unit identified is a 2400 at "
         "address 24",
         true},
        {"2400 chosen", "smu=2636A", [] {}, "identified is a 2636A at address 26", true},
        {"repeats beyond the store", "",
         [this] {
             form->store().seriesCount = 148;
             setText("Edit61", "3");
         },
         "can take 2 more; this measurement needs 3", true},
        {"repeats that would overflow", "",
         [this] {
             form->store().seriesCount = 148;
             setText("Edit61", "2147483647");
         },
         "can take 2 more; this measurement needs 2147483647", true},
        {"full store", "", [this] { form->store().seriesCount = 150; }, "can take 0 more", true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        gpib.reset();
        startForm(QStringLiteral("sim:noise=0,latency=0,absent=4/14/16,") +
                  QString::fromLatin1(k.bus));
        k.setUp();
        const QString lower = text("Edit2");
        const QString upper = text("Edit3");
        const int seriesCount = form->store().seriesCount;
        // A point left in the live layer by an earlier manual run stays where it is.
        form->store().liveCurrent(1)[0] = form->store().liveVoltage(1)[0] = 1.0f;
        transcript.clear();
        const qsizetype messagesBefore = ui.messages().size();
        click("Button1");
        ASSERT_EQ(ui.messages().size(), messagesBefore + 1);
        EXPECT_TRUE(ui.messages().last().contains(QString::fromLatin1(k.message)))
            << ui.messages().last().toStdString();
        EXPECT_EQ(sendsBesidesIdentification(), 0);
        EXPECT_EQ(linesStarting("listen").isEmpty(), !k.scanned);
        EXPECT_EQ(text("Edit2"), lower);
        EXPECT_EQ(text("Edit3"), upper);
        EXPECT_EQ(form->store().seriesCount, seriesCount);
        EXPECT_EQ(form->store().liveCount(1), 1);
        EXPECT_TRUE(c().widget("Button1")->isEnabled());
        form->close();
        form.reset();
        QFile::remove(configDir.filePath("Parameters.dat"));  // each case from the design state
    }
}

// The smallest compliance above 0 is taken and sent as it was converted.
TEST_F(StartRefusal, ATinyComplianceIsSent) {
    startForm();
    setText("Edit41", "1");
    setText("Edit6", "1E-9");
    click("Button1");
    EXPECT_TRUE(sentTo(24).contains(":SENS:CURR:PROT  1.00000000000000E-0009"));
    EXPECT_TRUE(ui.messages().isEmpty());
}

// The manual regime sends the compliance: choosing it after "Resistance" shows the edit again.
TEST_F(StartRefusal, TheComplianceStaysInSightForTheManualRegime) {
    startForm();
    setChecked("RadioButton1", true);
    EXPECT_TRUE(c().widget("Edit6")->isHidden());
    setChecked("RadioButton75", true);
    EXPECT_FALSE(c().widget("Edit6")->isHidden());
    EXPECT_FALSE(c().widget("Label4")->isHidden());
    EXPECT_TRUE(c().widget("Edit7")->isHidden());
}

// A manual run whose table fills ends there, with the output off and a message, instead of
// writing its points over the first ones again.
TEST_F(StartRefusal, AFullManualTableEndsTheRun) {
    startForm(QStringLiteral("sim:noise=0,latency=1,sample=resistor:1000000"));
    setChecked("RadioButton75", true);
    // Once the run records, its table is made to look full (however slow the machine).
    QTimer fill;
    QObject::connect(&fill, &QTimer::timeout, form.get(), [this, &fill] {
        int& counter = form->ivState().segment.pointCounter;
        if (counter >= 3) {
            counter = 10000;
            fill.stop();
        }
    });
    fill.start(5);
    click("Button1");
    EXPECT_EQ(sentTo(24).last(), ":OUTP OFF");
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().contains("holds 10000 points"));
    EXPECT_GE(form->store().liveCount(1), 1);
    EXPECT_EQ(form->store().seriesCount, 1);
}
