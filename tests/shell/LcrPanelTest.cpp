// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>

#include "lcr/MeasuredParameters.h"
#include "shell/FormFixture.h"
#include "shell/LcrTestSupport.h"
#include "shell/Widgets.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

class LcrPanel6 : public FormFixture {
  protected:
    QScrollBar* bar(const char* name) { return c().scrollBar(QString::fromLatin1(name)); }

    // Every control under `container` lies inside it, clear of its siblings and below a group
    // box's title, and shows its whole caption.
    void expectClearLayout(QWidget* container) {
        const QList<QWidget*> children =
            container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (qsizetype i = 0; i < children.size(); ++i) {
            QWidget* child = children[i];
            if (child->objectName().isEmpty()) {
                continue;  // a widget's own parts
            }
            SCOPED_TRACE(child->objectName().toStdString());
            EXPECT_TRUE(container->rect().contains(child->geometry()));
            if (qobject_cast<QGroupBox*>(container)) {
                EXPECT_GE(child->y(), container->fontMetrics().height());
            }
            for (qsizetype j = i + 1; j < children.size(); ++j) {
                if (!children[j]->objectName().isEmpty()) {
                    EXPECT_FALSE(child->geometry().intersects(children[j]->geometry()))
                        << "overlaps " << children[j]->objectName().toStdString();
                }
            }
            if (qobject_cast<QAbstractButton*>(child) || qobject_cast<QLabel*>(child)) {
                EXPECT_LE(child->sizeHint().width(), child->width());
                EXPECT_LE(child->sizeHint().height(), child->height() + 2);
            }
            expectClearLayout(child);
        }
    }
};

}  // namespace

TEST_F(LcrPanel6, StartsWithTheLabelsOfItsScrollBarsAndItsDesignState) {
    startForm();
    EXPECT_EQ(text("Label35"), "Number=20");
    EXPECT_EQ(text("Label34"), "Fmax=2000000 [Hz]");
    EXPECT_EQ(text("Label33"), "Fmin=10 [Hz]");
    EXPECT_EQ(text("Label37"), "AC=500 [mV]");
    EXPECT_EQ(text("Label40"), "1");
    EXPECT_EQ(text("Label41"), "1");
    EXPECT_EQ(text("Edit60"), "7600 test");
    EXPECT_EQ(text("Edit59"), "");
    for (const char* on : {"RadioButton64", "RadioButton66", "RadioButton71", "RadioButton23",
                           "RadioButton39", "RadioButton55", "CheckBox45", "CheckBox43"}) {
        EXPECT_TRUE(checked(on)) << on;
    }
    for (const char* off : {"RadioButton72", "RadioButton73", "RadioButton74", "CheckBox46"}) {
        EXPECT_FALSE(checked(off)) << off;
    }
    QWidget* panel = c().widget("Panel6");
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(panel->geometry(), QRect(56, 56, 1265, 633));
    EXPECT_EQ(c().widget("PaintBox2")->size(), QSize(969, 409));
}

// Each parameter's buttons sit in their group with the parameter's caption.
TEST_F(LcrPanel6, ParameterGroupsHoldEveryParameterOfTheMeter) {
    startForm();
    int primaries = 0;
    int secondaries = 0;
    for (const lcr::MeasuredParameter& parameter : lcr::measuredParameters()) {
        const QString caption = QString::fromUtf8(parameter.caption);
        if (parameter.primaryButton) {
            QWidget* button = c().widget(QString::fromLatin1(parameter.primaryButton));
            EXPECT_EQ(button->parent()->objectName(), "GroupBox4");
            EXPECT_EQ(text(parameter.primaryButton), caption);
            ++primaries;
        }
        if (parameter.secondaryButton) {
            QWidget* button = c().widget(QString::fromLatin1(parameter.secondaryButton));
            EXPECT_EQ(button->parent()->objectName(), "GroupBox5");
            EXPECT_EQ(text(parameter.secondaryButton), caption);
            ++secondaries;
        }
    }
    EXPECT_EQ(primaries, 16);
    EXPECT_EQ(secondaries, 16);
    EXPECT_EQ(text("RadioButton32"), "(б) Phase Angle ");
    EXPECT_EQ(text("GroupBox4"), "Primary 1");
    EXPECT_EQ(text("GroupBox5"), "Secondary 1");
}

TEST_F(LcrPanel6, EveryControlIsReadableAndNothingOverlaps) {
    startForm();
    // The widest label texts.
    bar("ScrollBar3")->setValue(bar("ScrollBar3")->maximum());
    bar("ScrollBar4")->setValue(bar("ScrollBar4")->maximum());
    bar("ScrollBar5")->setValue(100);
    bar("ScrollBar6")->setValue(1000);
    bar("ScrollBar7")->setValue(20);
    bar("ScrollBar8")->setValue(50);
    EXPECT_EQ(text("Label33"), "Fmin=20000000 [Hz]");
    QWidget* panel = c().widget("Panel6");
    EXPECT_TRUE(panel->parentWidget()->rect().contains(panel->geometry()));
    expectClearLayout(panel);
}

TEST_F(LcrPanel6, AcLevelMovesInStepsOfFiveMillivolts) {
    startForm();
    bar("ScrollBar6")->setValue(23);
    EXPECT_EQ(bar("ScrollBar6")->value(), 25);
    EXPECT_EQ(text("Label37"), "AC=25 [mV]");
    bar("ScrollBar6")->setValue(22);
    EXPECT_EQ(bar("ScrollBar6")->value(), 20);
    EXPECT_EQ(text("Label37"), "AC=20 [mV]");
    // A click on the panel refreshes the labels from whatever the bars hold.
    {
        const QSignalBlocker level(bar("ScrollBar6"));
        const QSignalBlocker count(bar("ScrollBar5"));
        bar("ScrollBar6")->setValue(998);
        bar("ScrollBar5")->setValue(35);
    }
    emit qobject_cast<shell::ClickablePanel*>(c().widget("Panel6"))->clicked();
    EXPECT_EQ(bar("ScrollBar6")->value(), 1000);
    EXPECT_EQ(text("Label37"), "AC=1000 [mV]");
    EXPECT_EQ(text("Label35"), "Number=35");
}

TEST_F(LcrPanel6, PresetsSetFmaxAndShareOneGroupWithTheSpeeds) {
    startForm();
    click("RadioButton62");
    EXPECT_EQ(bar("ScrollBar4")->value(), 10000);
    EXPECT_EQ(text("Label34"), "Fmax=10000 [Hz]");
    EXPECT_FALSE(checked("RadioButton64"));
    click("RadioButton73");
    EXPECT_FALSE(checked("RadioButton62"));
    EXPECT_EQ(bar("ScrollBar4")->value(), 10000);
    click("RadioButton61");
    EXPECT_FALSE(checked("RadioButton73"));
    EXPECT_EQ(text("Label34"), "Fmax=1000 [Hz]");
    // The other groups of the panel keep their choices.
    EXPECT_TRUE(checked("RadioButton66"));
    EXPECT_TRUE(checked("RadioButton71"));
    EXPECT_TRUE(checked("RadioButton23"));
}

TEST_F(LcrPanel6, BiasButtonsSendAtOnce) {
    startForm();
    transcript.clear();
    click("Button35");
    EXPECT_EQ(sentTo(4), QStringList{"CONF:BIAS EXT"});
    click("Button34");
    EXPECT_EQ(sentTo(4), (QStringList{"CONF:BIAS EXT", "CONF:BIAS OFF"}));
}

// The mode selector shows the panel alone with the start-up test curve; the view buttons and
// the chart options draw what a panel of the library draws for the same choice.
TEST_F(LcrPanel6, ModeSelectorShowsThePanelWithTheTestCurveInEveryView) {
    startForm();
    ReferencePanel reference;
    reference.panel.loadTestCurve(true);
    setChecked("RadioButton60", true);
    for (const char* hidden : {"Panel1", "Panel4", "Panel5"}) {
        EXPECT_TRUE(c().widget(hidden)->isHidden()) << hidden;
    }
    EXPECT_FALSE(c().widget("Panel6")->isHidden());
    reference.panel.showView(lcr::FrequencyView::PrimaryFromFrequency, {false, true});
    EXPECT_TRUE(shownChartEquals(c(), reference.panel.chart()));

    click("RadioButton56");
    reference.panel.showView(lcr::FrequencyView::SecondaryFromFrequency, {false, true});
    EXPECT_TRUE(shownChartEquals(c(), reference.panel.chart()));

    click("CheckBox43");  // no lines
    reference.panel.showView(lcr::FrequencyView::SecondaryFromFrequency, {false, false});
    EXPECT_TRUE(shownChartEquals(c(), reference.panel.chart()));

    click("CheckBox46");  // logarithmic frequency axis
    reference.panel.redraw({true, false});
    EXPECT_TRUE(shownChartEquals(c(), reference.panel.chart()));

    click("RadioButton57");
    reference.panel.showView(lcr::FrequencyView::PrimaryFromSecondary, {true, false});
    EXPECT_TRUE(shownChartEquals(c(), reference.panel.chart()));
}
