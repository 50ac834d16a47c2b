// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MeasurementDescription.h"

#include <QListWidget>
#include <QRegularExpression>
#include <array>
#include <initializer_list>

#include "lcr/SweepSettings.h"
#include "shell/Controls.h"
#include "shell/IvState.h"

namespace tarvix::shell {

namespace {

using Values = std::vector<std::pair<QString, QString>>;

// One setting: a single control gives its text (an edit), its position (a scroll bar) or
// 1/0 (a check box); several radio buttons give the caption of the one that is checked.
struct Setting {
    const char* key;
    std::initializer_list<const char*> controls;
};

const Setting kIvSettings[] = {
    {"regime", {"RadioButton1", "RadioButton2", "RadioButton75", "RadioButton3"}},
    {"model", {"RadioButton88", "RadioButton89", "RadioButton90"}},
    {"steps", {"Edit41"}},
    {"velocity", {"Edit40"}},
    {"repeat", {"Edit61"}},
    {"compliance", {"Edit6"}},
    {"voltage_compliance", {"Edit7"}},
    {"voltage_min", {"Edit2"}},
    {"voltage_max", {"Edit3"}},
    {"current_min", {"Edit4"}},
    {"current_max", {"Edit5"}},
    {"picoammeter", {"CheckBox38"}},
    {"integration_time_plc",
     {"RadioButton11", "RadioButton12", "RadioButton13", "RadioButton16", "RadioButton15",
      "RadioButton14"}},
};

// The voltage table: enable box, start and end edit of each segment.
const std::array<std::array<const char*, 3>, 8> kSegments = {{
    {"CheckBox7", "Edit9", "Edit10"},
    {"CheckBox2", "Edit12", "Edit11"},
    {"CheckBox4", "Edit14", "Edit13"},
    {"CheckBox6", "Edit16", "Edit15"},
    {"CheckBox9", "Edit18", "Edit17"},
    {"CheckBox11", "Edit20", "Edit19"},
    {"CheckBox15", "Edit22", "Edit21"},
    {"CheckBox18", "Edit8", "Edit23"},
}};

const Setting kThermoSettings[] = {
    {"source_current",
     {"RadioButton17", "RadioButton18", "RadioButton19", "RadioButton20", "RadioButton21",
      "RadioButton22", "RadioButton77", "RadioButton76", "RadioButton78", "RadioButton79"}},
    {"max_voltage", {"Edit52"}},
    {"two_wire", {"CheckBox44"}},
    {"thermocouples", {"Edit63"}},
    {"lcr_meter", {"CheckBox48"}},
    {"speed", {"RadioButton80", "RadioButton81", "RadioButton82"}},
    {"max_resistance", {"Edit55"}},
    {"sample_period_s", {"Label50"}},
};

QString valueOf(const Controls& controls, const Setting& setting) {
    if (setting.controls.size() > 1) {
        for (const char* name : setting.controls) {
            if (controls.checked(QString::fromLatin1(name))) {
                return controls.text(QString::fromLatin1(name));
            }
        }
        return {};
    }
    const QString name = QString::fromLatin1(*setting.controls.begin());
    if (controls.kindOf(name) == ControlKind::CheckBox) {
        return controls.checked(name) ? QStringLiteral("1") : QStringLiteral("0");
    }
    return controls.text(name);
}

template <typename Table>
void addSettings(const Controls& controls, const Table& table, Values& values) {
    for (const Setting& setting : table) {
        values.emplace_back(QString::fromLatin1(setting.key), valueOf(controls, setting));
    }
}

// ListBox1 holds one line "ADDRESS=" + address + "  " + reply per instrument found.
void addInstruments(const Controls& controls, Values& values) {
    static const QRegularExpression line(QStringLiteral("^ADDRESS=(\\d+)  (.*)$"));
    const QListWidget* list = controls.listBox(QStringLiteral("ListBox1"));
    for (int row = 0; row < list->count(); ++row) {
        const auto match = line.match(list->item(row)->text().trimmed());
        if (match.hasMatch()) {
            values.emplace_back(QStringLiteral("instrument.") + match.captured(1),
                                match.captured(2).trimmed());
        }
    }
}

journal::MeasurementContext common(const Controls& controls) {
    journal::MeasurementContext context;
    context.comment = controls.text(QStringLiteral("Edit44"));
    addInstruments(controls, context.values);
    return context;
}

}  // namespace

journal::MeasurementContext describeMeasurement(const Controls& controls, const IvState& state,
                                                const QString& kind) {
    journal::MeasurementContext context = common(controls);
    Values& values = context.values;
    if (kind != QStringLiteral("iv")) {
        addSettings(controls, kThermoSettings, values);
        return context;
    }
    addSettings(controls, kIvSettings, values);
    values.emplace_back(QStringLiteral("source_meter_model"),
                        QString::number(state.sourceMeterModel));
    for (std::size_t s = 0; s < kSegments.size(); ++s) {
        const QString prefix = QStringLiteral("segment.%1.").arg(s + 1);
        const auto& [enable, start, end] = kSegments[s];
        values.emplace_back(prefix + QStringLiteral("enabled"),
                            controls.checked(QString::fromLatin1(enable)) ? QStringLiteral("1")
                                                                          : QStringLiteral("0"));
        values.emplace_back(prefix + QStringLiteral("start"),
                            controls.text(QString::fromLatin1(start)));
        values.emplace_back(prefix + QStringLiteral("end"),
                            controls.text(QString::fromLatin1(end)));
    }
    return context;
}

journal::MeasurementContext describeLcrSweep(const Controls& controls,
                                             const lcr::SweepSettings& settings) {
    journal::MeasurementContext context = common(controls);
    const auto number = [](double value) { return QString::number(value, 'g', 15); };
    static const std::array<const char*, 4> kSpeed = {"", "medium", "fast", "very slow"};
    context.values.insert(
        context.values.end(),
        {{QStringLiteral("primary_code"), settings.primaryCode},
         {QStringLiteral("secondary_code"), settings.secondaryCode},
         {QStringLiteral("fmin_hz"), number(settings.fmin)},
         {QStringLiteral("fmax_hz"), number(settings.fmax)},
         {QStringLiteral("points"), number(settings.pointCount)},
         {QStringLiteral("grid"),
          settings.logGrid ? QStringLiteral("log") : QStringLiteral("linear")},
         {QStringLiteral("level_mv"), number(settings.acLevelMv)},
         {QStringLiteral("bias_mode"),
          QString::fromLatin1(kLcrBiasNames.at(static_cast<std::size_t>(settings.biasMode)))},
         {QStringLiteral("speed"),
          QString::fromLatin1(kSpeed.at(static_cast<std::size_t>(settings.speed)))},
         {QStringLiteral("trigger_delay_ms"), number(settings.triggerDelay)},
         {QStringLiteral("readings_per_point"), number(settings.readingsPerPoint)},
         {QStringLiteral("meter_average"), number(settings.meterAverage)}});
    return context;
}

}  // namespace tarvix::shell
