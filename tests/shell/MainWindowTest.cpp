// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QGroupBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

#include "shell/FormFixture.h"
#include "shell/Widgets.h"

using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

struct Expected {
    const char* name;
    const char* text;
    int checked;  // -1: not a check box or radio button
    bool visible;
    bool enabled;
};

// A sample of every kind of control and every design state: captions, default texts,
// checked, hidden and disabled controls.
const Expected kDesignState[] = {
    {"Button1", "Start", -1, true, true},
    {"Button22", "Stop", -1, true, true},
    {"Edit1", "Result", -1, true, true},
    {"Label1", "[]", -1, true, true},
    {"Label4", "Comliance [A]", -1, true, true},
    {"Edit6", "2E-6", -1, true, true},
    {"Edit7", "2", -1, false, true},
    {"Edit5", "1.5E-5", -1, true, true},
    {"Edit4", "-1.5E-5", -1, true, true},
    {"Edit2", "-2", -1, true, true},
    {"Edit3", "2", -1, true, true},
    {"RadioButton1", "Resistance  meas.", 0, true, true},
    {"RadioButton2", "Voltage sweep", 1, true, true},
    {"RadioButton75", "By Manual", 0, true, true},
    {"RadioButton3", "Current sweep", 0, false, false},
    {"RadioButton88", "2400", 1, true, true},
    {"RadioButton89", "2410", 0, true, true},
    {"RadioButton90", "2636A", 0, true, true},
    {"Edit44", "Comments", -1, true, true},
    {"Button3", "Open files", -1, true, true},
    {"Label15", "///", -1, true, true},
    {"Button4", "Delete", -1, true, true},
    {"Button5", "Save all series", -1, true, true},
    {"Label26", "Pass", -1, true, true},
    {"Label5", "DATE", -1, true, true},
    {"Label43", "TIME", -1, true, true},
    {"CheckBox39", "Open last configuration of parameters", 1, true, true},
    {"CheckBox13", "Log scale", 1, true, true},
    {"CheckBox35", "Line type", 1, true, true},
    {"CheckBox40", "Real voltage mesurments", 0, true, true},
    {"CheckBox12", "Show last measurements <50", 1, false, true},
    {"Button6", "Animation", -1, true, true},
    {"RadioButton8", "fast", 1, true, true},
    {"RadioButton9", "middle", 0, true, true},
    {"RadioButton10", "slow", 0, true, true},
    {"Button36", "Save for Origin", -1, true, true},
    {"CheckBox50", "ABS for log", 0, true, true},
    {"RadioButton83", "No", 1, true, true},
    {"RadioButton84", "1K", 0, true, true},
    {"RadioButton85", "10K", 0, true, true},
    {"RadioButton87", "100K", 0, true, true},
    {"RadioButton86", "1M", 0, true, true},
    {"CheckBox51", "+I instrumental drift", 0, true, true},
    {"CheckBox52", "De noise", 0, true, true},
    {"Button17", "Ohm law", -1, false, true},
    {"PF", "Pool-Frenkel", -1, false, true},
    {"Button8", "TOPZ", -1, false, true},
    {"Button9", "Tunnel current", -1, false, true},
    {"Button10", "Shotki", -1, false, true},
    {"Button11", "initial grafik", -1, false, true},
    {"Label18", "Sweep (1..8)", -1, false, true},
    {"Edit46", "1", -1, false, true},
    {"Label19", "Sweep numer (1..150)", -1, false, true},
    {"Edit47", "1", -1, false, true},
    {"Label25", "R=", -1, false, true},
    {"Label27", "???", -1, false, true},
    {"Label17", "", -1, true, true},
    {"Label44", "Picoammeter 6485", -1, false, true},
    {"RadioButton13", "2", 1, true, true},
    {"CheckBox42", "Time", 0, false, true},
    {"Edit45", "Edit45", -1, false, true},
    {"Button7", "Save Time", -1, false, true},
    {"Edit58", "Edit58", -1, false, true},
    {"CheckBox49", "Start VAX", 0, false, true},
    {"Button33", "ZeraduDOZ", -1, false, false},
    {"CheckBox47", "7600", 0, false, true},
    {"Button21", "Start 7600", -1, false, true},
    {"Button20", "2636A", -1, false, true},
    {"RadioButton58", "VAX", 1, true, true},
    {"RadioButton59", "4 Probe", 0, true, true},
    {"RadioButton60", "7600", 0, true, true},
    {"Edit9", "0", -1, true, true},
    {"Edit10", "2", -1, true, true},
    {"Edit12", "2", -1, true, true},
    {"Edit13", "-2", -1, true, true},
    {"Edit8", "-2", -1, true, true},
    {"Edit23", "0", -1, true, true},
    {"CheckBox7", nullptr, 1, true, true},
    {"CheckBox17", nullptr, 1, true, true},
    {"CheckBox2", nullptr, 0, true, true},
    {"Edit40", "0.050000", -1, true, true},
    {"Edit41", "40", -1, true, true},
    {"Edit61", "1", -1, true, true},
    {"Label10", "ok!", -1, true, true},
    {"Edit25", "1.5E-5", -1, true, true},
    {"Edit28", "-1.5E-05", -1, true, true},
    {"Edit42", "0.375000", -1, true, true},
    {"Edit43", "40", -1, true, true},
    {"Label12", "ok!", -1, true, true},
    {"Label23", "2", -1, true, true},
    {"Label24", "2", -1, true, true},
    {"Label45", "[]", -1, true, true},
};

class MainWindow : public FormFixture {};

}  // namespace

TEST_F(MainWindow, StartsInItsDesignState) {
    startForm();
    EXPECT_EQ(form->windowTitle(), "Tarvix  1.1[*]");
    EXPECT_FALSE(form->isWindowModified());
    for (const Expected& expected : kDesignState) {
        SCOPED_TRACE(expected.name);
        QWidget* control = c().find(QString::fromLatin1(expected.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->objectName(), expected.name);
        if (expected.text) {
            EXPECT_EQ(text(expected.name), QString::fromUtf8(expected.text));
        }
        if (expected.checked >= 0) {
            EXPECT_EQ(checked(expected.name), expected.checked == 1);
        }
        EXPECT_EQ(!control->isHidden(), expected.visible);
        EXPECT_EQ(control->isEnabled(), expected.enabled);
    }
    EXPECT_FALSE(c().widget("GroupBox7")->isVisibleTo(form.get()));
    EXPECT_EQ(c().widget("Panel1")->geometry(), QRect(0, 0, 1185, 721));
    EXPECT_EQ(c().widget("Panel5")->geometry(), QRect(312, 184, 633, 449));
    EXPECT_EQ(c().widget("Panel4")->pos(), QPoint(56, 0));
    EXPECT_EQ(c().widget("Panel6")->pos(), QPoint(56, 56));
    EXPECT_EQ(c().widget("ListBox1")->geometry(), QRect(312, 720, 633, 73));
    EXPECT_EQ(c().scrollBar("ScrollBar1")->value(), 10000);
}

TEST_F(MainWindow, ModeSelectorSwitchesPanels) {
    startForm();
    setChecked("RadioButton60", true);
    EXPECT_TRUE(c().widget("Panel1")->isHidden());
    EXPECT_TRUE(c().widget("Panel5")->isHidden());
    EXPECT_FALSE(c().widget("Panel6")->isHidden());
    setChecked("RadioButton58", true);
    EXPECT_FALSE(c().widget("Panel1")->isHidden());
    EXPECT_FALSE(c().widget("Panel5")->isHidden());
    EXPECT_TRUE(c().widget("Panel6")->isHidden());
    EXPECT_TRUE(c().widget("Panel4")->isHidden());
    EXPECT_EQ(c().widget("Panel5")->pos(), QPoint(312, 184));
}

TEST_F(MainWindow, ViewMenuRevealsAndHidesWhatTheDesignCreatesHidden) {
    startForm();
    QMenu* view = nullptr;
    for (QAction* action : form->menuBar()->actions()) {
        if (action->text().contains("View")) {
            view = action->menu();
        }
    }
    ASSERT_NE(view, nullptr);
    // The three toggles, then a separator, the plot window and I-V versus temperature.
    ASSERT_EQ(view->actions().size(), 6);
    EXPECT_EQ(view->actions()[4]->objectName(), "ActionPlotWindow");
    EXPECT_EQ(view->actions()[5]->objectName(), "ActionIvTemperature");
    view->actions()[0]->trigger();
    EXPECT_FALSE(c().widget("GroupBox7")->isHidden());
    view->actions()[1]->trigger();
    EXPECT_FALSE(c().widget("Button17")->isHidden());
    EXPECT_FALSE(c().widget("Label27")->isHidden());
    view->actions()[2]->trigger();
    EXPECT_FALSE(c().widget("CheckBox38")->isHidden());
    EXPECT_FALSE(c().widget("RadioButton3")->isHidden());
    EXPECT_TRUE(c().widget("RadioButton3")->isEnabled());
    view->actions()[2]->trigger();
    EXPECT_TRUE(c().widget("RadioButton3")->isHidden());
    EXPECT_FALSE(c().widget("RadioButton3")->isEnabled());
    view->actions()[0]->trigger();
    EXPECT_TRUE(c().widget("GroupBox7")->isHidden());
}

TEST_F(MainWindow, ModelGroupOffersRegimesByModel) {
    startForm();
    setChecked("RadioButton75", true);
    setChecked("RadioButton90", true);
    EXPECT_TRUE(checked("RadioButton2"));
    EXPECT_FALSE(c().widget("RadioButton1")->isEnabled());
    EXPECT_FALSE(c().widget("RadioButton75")->isEnabled());
    EXPECT_EQ(text("Edit41"), "40");
    setChecked("RadioButton89", true);
    EXPECT_TRUE(c().widget("RadioButton1")->isEnabled());
    EXPECT_TRUE(c().widget("RadioButton75")->isEnabled());
}

TEST_F(MainWindow, WithoutABoardStartReadsNoGrib) {
    startForm(QStringLiteral("none"));
    EXPECT_EQ(text("Button1"), "NO GRIB");
    EXPECT_FALSE(c().widget("Button1")->isEnabled());
    EXPECT_TRUE(c().widget("Button22")->isEnabled());
    EXPECT_EQ(transcript.lines(), QStringList{"board-present 0"});
    EXPECT_EQ(text("Label10"), "ok!");  // files, charts and plans stay usable
}

TEST_F(MainWindow, ScanListsInstrumentsAndLearnsTheModelOnce) {
    startForm(QStringLiteral("sim:noise=0,latency=0,absent=4/16"));
    setText("Edit41", "2");
    click("Button1");
    QListWidget* list = c().listBox("ListBox1");
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(
        list->item(0)->text().startsWith("ADDRESS=14  KEITHLEY INSTRUMENTS INC.,MODEL 6485"));
    EXPECT_TRUE(
        list->item(1)->text().startsWith("ADDRESS=24  KEITHLEY INSTRUMENTS INC.,MODEL 2400"));
    EXPECT_EQ(form->ivState().sourceMeterModel, 2400);
    EXPECT_EQ(linesStarting("listen").size(), 30);
    transcript.clear();
    click("Button1");
    EXPECT_TRUE(linesStarting("listen").isEmpty());
    EXPECT_EQ(list->count(), 2);
    EXPECT_TRUE(c().widget("Button1")->isEnabled());
}

TEST_F(MainWindow, A2636IsScannedAgainAtEveryStart) {
    startForm(QStringLiteral("sim:noise=0,latency=0,smu=2636A"));
    setText("Edit41", "2");
    setChecked("RadioButton90", true);
    click("Button1");
    EXPECT_EQ(form->ivState().sourceMeterModel, 2636);
    transcript.clear();
    click("Button1");
    EXPECT_EQ(linesStarting("listen").size(), 30);
}

TEST_F(MainWindow, ScanFailuresAreReportedAndTheLineIsStillAdded) {
    startForm(QStringLiteral("sim:noise=0,latency=0,absent=4/14/16,fail=send:24"));
    click("Button1");
    EXPECT_TRUE(ui.messages().contains("Error in writing *IDN? string to the instrument."));
    EXPECT_EQ(c().listBox("ListBox1")->count(), 1);
    EXPECT_EQ(form->ivState().sourceMeterModel, 0);
    EXPECT_TRUE(c().widget("Button1")->isEnabled());
}

TEST_F(MainWindow, ScanReadFailureIsReported) {
    startForm(QStringLiteral("sim:noise=0,latency=0,absent=4/14/16,fail=enter:24"));
    click("Button1");
    EXPECT_TRUE(
        ui.messages().contains("Error in reading identification string from the instrument."));
}

// With everything the View menu reveals shown, no two controls of the I-V panel overlap, and
// none hides under the chart area that sits over the panel.
TEST_F(MainWindow, RevealedControlsDoNotOverlap) {
    startForm();
    for (QAction* action : form->menuBar()->actions()) {
        if (action->text().contains("View")) {
            for (QAction* toggle : action->menu()->actions()) {
                toggle->trigger();
            }
        }
    }
    QWidget* panel = c().widget("Panel1");
    const QRect chartArea = c().widget("Panel5")->geometry();
    QList<QWidget*> shown;
    for (QObject* child : panel->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isHidden()) {
            shown << widget;
        }
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        EXPECT_FALSE(shown[i]->geometry().intersects(chartArea))
            << shown[i]->objectName().toStdString();
        EXPECT_TRUE(panel->rect().contains(shown[i]->geometry()))
            << shown[i]->objectName().toStdString();
        for (qsizetype j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                << shown[i]->objectName().toStdString() << " and "
                << shown[j]->objectName().toStdString();
        }
    }
}
