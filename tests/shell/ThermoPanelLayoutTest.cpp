// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <map>
#include <vector>

#include "shell/ControlTables.h"
#include "shell/FormFixture.h"
#include "shell/Widgets.h"
#include "text/ClockText.h"
#include "thermo/PanelControls.h"
#include "thermo/SourceCurrent.h"

using namespace tarvix;
using namespace tarvix::shell;

namespace {

class ThermoPanelLayoutTest : public shell::testing::FormFixture {
  protected:
    void SetUp() override { startForm(); }

    QWidget* widget(const char* name) { return c().widget(QString::fromUtf8(name)); }
};

// The width a control needs to show its caption whole.
int neededWidth(QWidget* control) {
    const QFontMetrics metrics(control->font());
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        return metrics.horizontalAdvance(button->text()) + 12;
    }
    if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control)) {
        return control->sizeHint().width();
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return metrics.horizontalAdvance(label->text());
    }
    return 0;
}

}  // namespace

TEST_F(ThermoPanelLayoutTest, EveryControlTheProceduresUseExistsWithItsKind) {
    using namespace thermo::controls;
    const std::map<QStringView, ControlKind> used{
        {kChannelEdit, ControlKind::Edit},
        {kUseLcrMeterCheck, ControlKind::CheckBox},
        {kVerySlowRadio, ControlKind::RadioButton},
        {kMediumRadio, ControlKind::RadioButton},
        {kFastRadio, ControlKind::RadioButton},
        {kTwoWireCheck, ControlKind::CheckBox},
        {kComplianceEdit, ControlKind::Edit},
        {kRMaxEdit, ControlKind::Edit},
        {kTMinEdit, ControlKind::Edit},
        {kTMaxEdit, ControlKind::Edit},
        {kSaveEveryEdit, ControlKind::Edit},
        {kAverageCheck, ControlKind::CheckBox},
        {kDescriptionEdit, ControlKind::Edit},
        {kSampleNumberEdit, ControlKind::Edit},
        {kResistanceEdit, ControlKind::Edit},
        {kTemperatureEdit, ControlKind::Edit},
        {kTcKelvinEdit, ControlKind::Edit},
        {kTcCelsiusEdit, ControlKind::Edit},
        {kTermoReadingEdit, ControlKind::Edit},
        {kSampleTimeLabel, ControlKind::Label},
        {kPeriodLabel, ControlKind::Label},
        {kStartButton, ControlKind::Button},
        {kStopButton, ControlKind::Button},
        {kStartDButton, ControlKind::Button},
    };
    for (const auto& [name, kind] : used) {
        ASSERT_NE(c().find(name.toString()), nullptr) << name.toString().toStdString();
        EXPECT_EQ(c().kindOf(name.toString()), kind) << name.toString().toStdString();
    }
    for (const thermo::SourceCurrentButton& choice : thermo::kSourceCurrentButtons) {
        ASSERT_NE(c().find(choice.button.toString()), nullptr);
        EXPECT_EQ(c().kindOf(choice.button.toString()), ControlKind::RadioButton);
        EXPECT_EQ(c().widget(choice.button.toString())->parent(), widget("GroupBox3"));
    }
}

TEST_F(ThermoPanelLayoutTest, ControlsStayInsideTheirParentsWithoutOverlapping) {
    std::map<QWidget*, std::vector<QWidget*>> siblings;
    for (const ControlSpec& spec : fourProbePanelControls()) {
        QWidget* control = widget(spec.name);
        QWidget* parent = control->parentWidget();
        const QRect inside(QPoint(0, 0), parent->size());
        EXPECT_TRUE(inside.contains(control->geometry())) << spec.name << " leaves its parent";
        siblings[parent].push_back(control);
    }
    for (const auto& [parent, children] : siblings) {
        for (std::size_t i = 0; i < children.size(); ++i) {
            for (std::size_t j = i + 1; j < children.size(); ++j) {
                EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry()))
                    << children[i]->objectName().toStdString() << " overlaps "
                    << children[j]->objectName().toStdString();
            }
        }
    }
    EXPECT_EQ(widget("Panel4")->size(), QSize(897, 177));
}

TEST_F(ThermoPanelLayoutTest, CaptionsAndReadingsAreShownWhole) {
    for (const ControlSpec& spec : fourProbePanelControls()) {
        QWidget* control = widget(spec.name);
        EXPECT_LE(neededWidth(control), control->width()) << spec.name << " cuts its caption";
    }
    // The read-outs in the default real form need all 23 characters, exponent included.
    for (const char* readout : {"Edit50", "Edit56", "Edit57", "Edit49"}) {
        auto* edit = c().edit(QString::fromLatin1(readout));
        const int text = QFontMetrics(edit->font()).horizontalAdvance(" -8.88888888888888E-0008");
        EXPECT_LE(text + 6, edit->width()) << readout;
    }
    auto* sampleTime = c().label(QStringLiteral("Label48"));
    const QString latest = text::longTimeText(QTime(23, 59, 59));
    EXPECT_LE(QFontMetrics(sampleTime->font()).horizontalAdvance(latest), sampleTime->width());
}

TEST_F(ThermoPanelLayoutTest, StartsHiddenWithTheDesignSettings) {
    EXPECT_FALSE(widget("Panel4")->isVisibleTo(form.get()));
    EXPECT_EQ(widget("Panel4")->pos(), QPoint(56, 0));
    // The chart area takes its place below the panel.
    EXPECT_LE(widget("Panel4")->geometry().bottom(), 184);

    EXPECT_TRUE(checked("RadioButton19"));
    EXPECT_TRUE(checked("RadioButton81"));
    EXPECT_FALSE(checked("CheckBox48"));
    EXPECT_FALSE(checked("CheckBox44"));
    QScrollBar* period = c().scrollBar(QStringLiteral("ScrollBar9"));
    EXPECT_EQ(period->minimum(), 1);
    EXPECT_EQ(period->maximum(), 20);
    EXPECT_EQ(period->value(), 3);
    EXPECT_EQ(text("Label50"), QStringLiteral("3"));
    QSpinBox* saveEvery = c().upDown(QStringLiteral("UpDown1"));
    EXPECT_EQ(saveEvery->minimum(), 1);
    EXPECT_EQ(saveEvery->maximum(), 100);
    EXPECT_EQ(saveEvery->value(), 1);
    EXPECT_EQ(text("Edit53"), QStringLiteral("1"));
}

TEST_F(ThermoPanelLayoutTest, StartUpStopsTimer1AtThePeriodOfTheBarAndDisablesStop) {
    auto* timer1 = form->findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer1, nullptr);
    EXPECT_FALSE(timer1->isActive());
    EXPECT_EQ(timer1->interval(), 3000);
    EXPECT_FALSE(widget("Button28")->isEnabled());
    EXPECT_TRUE(widget("Button27")->isEnabled());
}

TEST_F(ThermoPanelLayoutTest, SpeedButtonsAreExclusiveOnlyAmongThemselves) {
    setChecked("RadioButton80", true);
    EXPECT_FALSE(checked("RadioButton81"));
    EXPECT_TRUE(checked("RadioButton19"));  // the current keeps its choice

    setChecked("RadioButton76", true);
    EXPECT_FALSE(checked("RadioButton19"));
    EXPECT_TRUE(checked("RadioButton80"));
    EXPECT_TRUE(checked("RadioButton58"));  // nor does the mode selector move
}
