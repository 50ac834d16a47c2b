// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/IvPanelController.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <array>
#include <cmath>

#include "iv/SweepPlan.h"
#include "series/ChartCanvas.h"
#include "shell/IvChartView.h"
#include "shell/Widgets.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

namespace tarvix::shell {

namespace {

constexpr std::array<const char*, 16> kVoltageEdits = {
    "Edit9",  "Edit10", "Edit12", "Edit11", "Edit14", "Edit13", "Edit16", "Edit15",
    "Edit18", "Edit17", "Edit20", "Edit19", "Edit22", "Edit21", "Edit8",  "Edit23"};
constexpr std::array<const char*, 16> kCurrentEdits = {
    "Edit24", "Edit25", "Edit27", "Edit26", "Edit29", "Edit28", "Edit31", "Edit30",
    "Edit33", "Edit32", "Edit35", "Edit34", "Edit37", "Edit36", "Edit38", "Edit39"};

// Each enable box of the voltage table and the companion box it copies its state into.
constexpr std::array<std::pair<const char*, const char*>, 8> kCompanions = {{
    {"CheckBox7", "CheckBox17"},
    {"CheckBox2", "CheckBox1"},
    {"CheckBox4", "CheckBox3"},
    {"CheckBox6", "CheckBox5"},
    {"CheckBox9", "CheckBox8"},
    {"CheckBox11", "CheckBox10"},
    {"CheckBox15", "CheckBox14"},
    {"CheckBox18", "CheckBox16"},
}};

QString name(const char* text) {
    return QString::fromLatin1(text);
}

// The read-out of a bar voltage: rounded to millivolts, in the operator's number form.
QString millivoltText(float voltage) {
    return text::generalTextForDisplay(
        static_cast<double>(text::roundHalfEven(static_cast<double>(voltage) * 1000.0)) / 1000.0);
}

}  // namespace

IvPanelController::IvPanelController(TForm1& form) : PanelController(form) {}

void IvPanelController::wire() {
    wirePlanEdits();
    wireEnableBoxes();
    wireRegimeAndModel();
    for (const char* limit : {"Edit2", "Edit3", "Edit4", "Edit5"}) {
        QObject::connect(c().edit(name(limit)), &QLineEdit::textChanged, &form_,
                         [this, limit] { chartLimitChange(name(limit)); });
    }
    QObject::connect(c().scrollBar("ScrollBar1"), &QScrollBar::valueChanged, &form_,
                     [this] { ScrollBar1Change(); });
    QObject::connect(c().scrollBar("ScrollBar2"), &QScrollBar::valueChanged, &form_,
                     [this] { ScrollBar2Change(); });
    for (const char* option : {"CheckBox13", "CheckBox35", "CheckBox12"}) {
        QObject::connect(c().anyButton(name(option)), &QAbstractButton::toggled, &form_,
                         [this] { form_.chart().drawIvChart(); });
    }
    QObject::connect(c().anyButton("CheckBox49"), &QAbstractButton::toggled, &form_,
                     [this](bool checked) { c().setEnabled("Button33", checked); });
}

void IvPanelController::linkEdit(const char* from, const char* to) {
    QObject::connect(c().edit(name(from)), &QLineEdit::textChanged, &form_,
                     [this, to](const QString& text) { c().setText(name(to), text); });
}

void IvPanelController::wirePlanEdits() {
    // The copy runs before the rebuild, as in the handlers of the linked edits.
    for (const auto& [from, to] : {std::pair{"Edit10", "Edit12"}, std::pair{"Edit13", "Edit16"},
                                   std::pair{"Edit20", "Edit17"}, std::pair{"Edit8", "Edit21"},
                                   std::pair{"Edit25", "Edit27"}, std::pair{"Edit28", "Edit31"},
                                   std::pair{"Edit35", "Edit32"}, std::pair{"Edit38", "Edit36"}}) {
        linkEdit(from, to);
    }
    for (const char* edit : {"Edit10", "Edit40", "Edit41", "Edit61"}) {
        QObject::connect(c().edit(name(edit)), &QLineEdit::textChanged, &form_,
                         [this] { buildVoltagePlan(); });
    }
    for (const char* edit : {"Edit25", "Edit42", "Edit43"}) {
        QObject::connect(c().edit(name(edit)), &QLineEdit::textChanged, &form_,
                         [this] { buildCurrentPlan(); });
    }
}

void IvPanelController::wireEnableBoxes() {
    for (const auto& [box, companion] : kCompanions) {
        QObject::connect(c().anyButton(name(box)), &QAbstractButton::toggled, &form_,
                         [this, companion = companion](bool checked) {
                             c().anyButton(name(companion))->setChecked(checked);
                         });
    }
}

void IvPanelController::wireRegimeAndModel() {
    const std::array<std::pair<const char*, void (IvPanelController::*)()>, 7> radios = {{
        {"RadioButton1", &IvPanelController::RadioButton1Click},
        {"RadioButton2", &IvPanelController::RadioButton2Click},
        {"RadioButton3", &IvPanelController::RadioButton3Click},
        {"RadioButton75", &IvPanelController::RadioButton75Click},
        {"RadioButton88", &IvPanelController::RadioButton88Click},
        {"RadioButton89", &IvPanelController::RadioButton89Click},
        {"RadioButton90", &IvPanelController::RadioButton90Click},
    }};
    // A radio button's click handler runs when it becomes checked, by a click or by code.
    for (const auto& [radio, handler] : radios) {
        QObject::connect(c().anyButton(name(radio)), &QAbstractButton::toggled, &form_,
                         [this, handler = handler](bool checked) {
                             if (checked) {
                                 (this->*handler)();
                             }
                         });
    }
}

void IvPanelController::showPlanStatus(const char* label, bool valid) {
    ClickableLabel* status = c().label(name(label));
    status->setText(iv::planStatusText(valid));
    status->setStyleSheet(valid ? QStringLiteral("color: #00ff00; font-weight: bold;")
                                : QStringLiteral("color: #ff0000; font-weight: bold;"));
}

bool IvPanelController::buildVoltagePlan() {
    iv::PlanTexts texts;
    for (size_t i = 0; i < kVoltageEdits.size(); ++i) {
        texts.segments[i] = c().text(name(kVoltageEdits[i]));
    }
    texts.velocity = c().text("Edit40");
    texts.stepCount = c().text("Edit41");
    texts.repeatCount = c().text("Edit61");
    texts.stepCountMode = c().checked("RadioButton5");
    const iv::PlanBuild build = iv::buildVoltagePlan(texts);
    form_.ivState().voltagePlan = build.plan;
    // Writing the other field runs its handler, which builds again and writes the same text.
    if (build.velocityText) {
        c().setText("Edit40", *build.velocityText);
    }
    if (build.stepCountText) {
        c().setText("Edit41", *build.stepCountText);
    }
    showPlanStatus("Label10", build.plan.valid);
    return build.plan.valid;
}

bool IvPanelController::buildCurrentPlan() {
    iv::PlanTexts texts;
    for (size_t i = 0; i < kCurrentEdits.size(); ++i) {
        texts.segments[i] = c().text(name(kCurrentEdits[i]));
    }
    texts.velocity = c().text("Edit42");
    texts.stepCount = c().text("Edit43");
    texts.stepCountMode = c().checked("RadioButton7");
    const iv::PlanBuild build = iv::buildCurrentPlan(texts);
    form_.ivState().currentPlan = build.plan;
    if (build.velocityText) {
        c().setText("Edit42", *build.velocityText);
    }
    if (build.stepCountText) {
        c().setText("Edit43", *build.stepCountText);
    }
    showPlanStatus("Label12", build.plan.valid);
    return build.plan.valid;
}

bool IvPanelController::convertChartLimits() {
    IvState& state = form_.ivState();
    for (auto [edit, target] :
         {std::pair{"Edit4", &state.currentMin}, std::pair{"Edit5", &state.currentMax},
          std::pair{"Edit2", &state.voltageMin}, std::pair{"Edit3", &state.voltageMax}}) {
        const auto value = text::parseDecimal(c().text(name(edit)));
        if (!value) {
            return false;
        }
        *target = *value;
    }
    return true;
}

bool IvPanelController::convertCompliances() {
    IvState& state = form_.ivState();
    const auto compliance = text::parseDecimal(c().text("Edit6"));
    if (!compliance) {
        return false;
    }
    state.compliance = *compliance;
    const auto voltageCompliance = text::parseDecimal(c().text("Edit7"));
    if (!voltageCompliance) {
        return false;
    }
    state.voltageCompliance = *voltageCompliance;
    return true;
}

void IvPanelController::chartLimitChange(const QString& edit) {
    if (!convertChartLimits()) {
        return;
    }
    const IvState& state = form_.ivState();
    if (state.voltageMax - state.voltageMin == 0 || state.currentMax - state.currentMin == 0) {
        return;
    }
    if (!convertCompliances()) {
        return;
    }
    if (edit == QStringLiteral("Edit2") || edit == QStringLiteral("Edit3")) {
        ScrollBar1Change();
        ScrollBar2Change();
    }
    form_.chart().drawIvChart();
}

void IvPanelController::ScrollBar1Change() {
    IvState& state = form_.ivState();
    QScrollBar* bar1 = c().scrollBar("ScrollBar1");
    QScrollBar* bar2 = c().scrollBar("ScrollBar2");
    state.manualVoltage = static_cast<float>(
        state.voltageMin + (state.voltageMax - state.voltageMin) / 10000.0 * bar1->value());
    if (bar1->value() > bar2->value()) {
        bar2->setValue(bar1->value());
    }
    c().setText("Label23", millivoltText(state.manualVoltage));
    if (!state.stopRequested && c().checked("RadioButton75") && manualPoint_ && !manualPoint_()) {
        return;
    }
    form_.chart().drawIvChart();
}

void IvPanelController::ScrollBar2Change() {
    IvState& state = form_.ivState();
    QScrollBar* bar1 = c().scrollBar("ScrollBar1");
    QScrollBar* bar2 = c().scrollBar("ScrollBar2");
    state.cursorVoltage = static_cast<float>(
        (std::fabs(state.voltageMax) + std::fabs(state.voltageMin)) / 10000.0 * bar2->value() +
        state.voltageMin);
    if (bar2->value() < bar1->value()) {
        bar1->setValue(bar2->value());
    }
    c().setText("Label24", millivoltText(state.cursorVoltage));
    form_.chart().drawIvChart();
}

void IvPanelController::applyRegimeVisibility() {
    if (c().checked("RadioButton2")) {
        c().setVisible("Label4", true);
        c().setVisible("Edit6", true);
        c().setVisible("Edit7", false);
        c().setVisible("Panel2", true);
        c().setVisible("Panel3", false);
    }
    if (c().checked("RadioButton3")) {
        c().setVisible("Label4", false);
        c().setVisible("Edit6", false);
        c().setVisible("Edit7", true);
        c().setVisible("Panel2", false);
        c().setVisible("Panel3", true);
    }
}

void IvPanelController::RadioButton1Click() {
    c().setVisible("ScrollBar2", true);
    c().scrollBar("ScrollBar1")->resize(c().scrollBar("ScrollBar1")->width(), 17);
    if (c().checked("RadioButton1")) {
        c().setVisible("Label4", false);
        c().setVisible("Edit6", false);
        c().setVisible("Edit7", false);
    }
}

void IvPanelController::RadioButton2Click() {
    c().setText("Edit41",
                c().checked("RadioButton75") ? QStringLiteral("1") : QStringLiteral("40"));
    c().setVisible("ScrollBar2", true);
    c().scrollBar("ScrollBar1")->resize(c().scrollBar("ScrollBar1")->width(), 17);
    applyRegimeVisibility();
}

void IvPanelController::RadioButton3Click() {
    applyRegimeVisibility();
}

void IvPanelController::RadioButton75Click() {
    c().setVisible("ScrollBar2", false);
    c().scrollBar("ScrollBar1")->resize(c().scrollBar("ScrollBar1")->width(), 40);
    // The manual regime sends the compliance: it stays in sight, whatever regime came before.
    if (c().checked("RadioButton75")) {
        c().setVisible("Label4", true);
        c().setVisible("Edit6", true);
        c().setVisible("Edit7", false);
    }
    c().setText("Edit41",
                c().checked("RadioButton75") ? QStringLiteral("1") : QStringLiteral("40"));
}

void IvPanelController::modelChosen(bool fullRegimeChoice) {
    c().anyButton("RadioButton2")->setChecked(true);
    c().setEnabled("RadioButton1", fullRegimeChoice);
    c().setEnabled("RadioButton75", fullRegimeChoice);
}

void IvPanelController::RadioButton88Click() {
    modelChosen(true);
}
void IvPanelController::RadioButton89Click() {
    modelChosen(true);
}
void IvPanelController::RadioButton90Click() {
    modelChosen(false);
}

void IvPanelController::finishStartup() {
    if (!convertChartLimits()) {
        return;
    }
    ScrollBar1Change();
    ScrollBar2Change();
    form_.chart().drawIvChart();
    if (c().checked("RadioButton1")) {
        c().setVisible("Label4", false);
        c().setVisible("Edit6", false);
        c().setVisible("Edit7", false);
    }
    applyRegimeVisibility();
    buildVoltagePlan();
    buildCurrentPlan();
}

}  // namespace tarvix::shell
