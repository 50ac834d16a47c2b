// SPDX-License-Identifier: GPL-3.0-or-later
#include <QByteArray>
#include <vector>

#include "lcr/MeasuredParameters.h"
#include "lcr/SweepSettings.h"
#include "shell/ControlTables.h"

// The LCR panel (Panel6, 1265 x 633) in its design state. The chart fills the lower right;
// above it stand four columns (frequency grid, measuring conditions, bias and averaging, chart
// view); the left column holds the two parameter groups, the file name and Start. Names
// without a design name start with "Lcr". The scroll bars' labels are written at start-up from
// their positions, so they start empty here.
namespace tarvix::shell {

namespace {

using K = ControlKind;
constexpr unsigned C = kChecked;

constexpr int kLine = 20;
constexpr int kBarHeight = 17;

// The columns above the chart.
constexpr int kGridLeft = 292;
constexpr int kMeasureLeft = 538;
constexpr int kBiasLeft = 784;
constexpr int kViewLeft = 1030;
constexpr int kColumnWidth = 236;
constexpr int kViewWidth = 229;
constexpr int kHalf = 118;

// The parameter groups: two columns of eight buttons.
constexpr int kGroupLeft = 6;
constexpr int kGroupWidth = 280;
constexpr int kPrimaryTop = 4;
constexpr int kSecondaryTop = 212;
constexpr int kGroupHeight = 202;
constexpr int kGroupRows = 8;
constexpr int kGroupFirstRow = 20;
constexpr int kGroupRowStep = 22;
constexpr int kGroupColumnLeft[] = {6, 142};
constexpr int kGroupColumnWidth = 136;

const ControlSpec kBeforeGroups[] = {
    // Frequency grid. RadioButton61..64 and RadioButton72..74 are direct children of Panel6,
    // so choosing a speed clears the Fmax preset, as designed.
    {"Label33", K::Label, "Panel6", "", kGridLeft, 4, kColumnWidth, 18},
    {"ScrollBar3", K::ScrollBar, "Panel6", "", kGridLeft, 22, kColumnWidth, kBarHeight, 0, "", 10,
     20000000, 10, 100},
    {"Label34", K::Label, "Panel6", "", kGridLeft, 44, kColumnWidth, 18},
    {"ScrollBar4", K::ScrollBar, "Panel6", "", kGridLeft, 62, kColumnWidth, kBarHeight, 0, "", 10,
     2000000, 2000000, 100, 100},
    {"RadioButton61", K::RadioButton, "Panel6", "1 000", kGridLeft, 84, kHalf - 4, kLine},
    {"RadioButton62", K::RadioButton, "Panel6", "10 000", kGridLeft + kHalf, 84, kHalf, kLine},
    {"RadioButton63", K::RadioButton, "Panel6", "100 000", kGridLeft, 104, kHalf - 4, kLine},
    {"RadioButton64", K::RadioButton, "Panel6", "1 000 000", kGridLeft + kHalf, 104, kHalf, kLine,
     C},
    {"Label35", K::Label, "Panel6", "", kGridLeft, 128, kColumnWidth, 18},
    {"ScrollBar5", K::ScrollBar, "Panel6", "", kGridLeft, 146, kColumnWidth, kBarHeight, 0, "", 0,
     100, 20, 5},
    {"CheckBox45", K::CheckBox, "Panel6", "Step F -Log", kGridLeft, 168, kColumnWidth, kLine, C},

    // Measuring conditions: the test level, the speed and the trigger delay.
    {"Label37", K::Label, "Panel6", "", kMeasureLeft, 4, kColumnWidth, 18},
    {"ScrollBar6", K::ScrollBar, "Panel6", "", kMeasureLeft, 22, kColumnWidth, kBarHeight, 0, "",
     20, 1000, 500, 5},
    {"LcrSpeedLabel", K::Label, "Panel6", "Speed", kMeasureLeft, 44, kColumnWidth, 18},
    {"RadioButton72", K::RadioButton, "Panel6", "Медленно (MED)", kMeasureLeft, 62, kColumnWidth,
     kLine},
    {"RadioButton73", K::RadioButton, "Panel6", "Быстро", kMeasureLeft, 82, kColumnWidth, kLine},
    {"RadioButton74", K::RadioButton, "Panel6", "Очень медленно", kMeasureLeft, 102, kColumnWidth,
     kLine},
    {"LcrTriggerDelayLabel", K::Label, "Panel6", "Trigger delay", kMeasureLeft, 128, kColumnWidth,
     18},
    {"Panel8", K::Panel, "Panel6", "", kMeasureLeft, 146, kColumnWidth, 48},
    {"RadioButton65", K::RadioButton, "Panel8", "0 ms", 6, 3, 106, kLine},
    {"RadioButton66", K::RadioButton, "Panel8", "5ms", kHalf, 3, 106, kLine, C},
    {"RadioButton67", K::RadioButton, "Panel8", "500 ms", 6, 25, 106, kLine},
    {"RadioButton68", K::RadioButton, "Panel8", "1000 ms", kHalf, 25, 106, kLine},

    // Bias and averaging.
    {"GroupBox8", K::GroupBox, "Panel6", "BIAS", kBiasLeft, 4, kColumnWidth, 84},
    {"RadioButton69", K::RadioButton, "GroupBox8", "Internal: 2.0 V", 8, 18, 220, kLine},
    {"RadioButton70", K::RadioButton, "GroupBox8", "External: 0 to ±200 V", 8, 38, 220, kLine},
    {"RadioButton71", K::RadioButton, "GroupBox8", "OFF", 8, 58, 220, kLine, C},
    {"Button35", K::Button, "Panel6", "EXT ON", kBiasLeft, 94, kHalf - 4, 26},
    {"Button34", K::Button, "Panel6", "EXT OFF", kBiasLeft + kHalf, 94, kHalf, 26},
    {"Label39", K::Label, "Panel6", "Усреднение по точкам", kBiasLeft, 128, 180, 18},
    {"Label40", K::Label, "Panel6", "", kBiasLeft + 184, 128, 52, 18, 0, "font-weight: bold;"},
    {"ScrollBar7", K::ScrollBar, "Panel6", "", kBiasLeft, 146, kColumnWidth, kBarHeight, 0, "", 1,
     20, 1},
    {"LcrMeterAverageLabel", K::Label, "Panel6", "Meter average", kBiasLeft, 168, 180, 18},
    {"Label41", K::Label, "Panel6", "", kBiasLeft + 184, 168, 52, 18, 0, "font-weight: bold;"},
    {"ScrollBar8", K::ScrollBar, "Panel6", "", kBiasLeft, 186, kColumnWidth, kBarHeight, 0, "", 1,
     50, 1},

    // What the chart shows.
    {"GroupBox6", K::GroupBox, "Panel6", "X-Y", kViewLeft, 4, kViewWidth, 84},
    {"RadioButton55", K::RadioButton, "GroupBox6", "Primary from F", 8, 18, 215, kLine, C},
    {"RadioButton56", K::RadioButton, "GroupBox6", "Secondary from F", 8, 38, 215, kLine},
    {"RadioButton57", K::RadioButton, "GroupBox6", "Primary from Second.", 8, 58, 215, kLine},
    {"CheckBox46", K::CheckBox, "Panel6", "X Axis -Log X", kViewLeft, 96, kViewWidth, kLine},
    {"CheckBox43", K::CheckBox, "Panel6", "Line", kViewLeft, 118, kViewWidth, kLine, C},

    {"GroupBox4", K::GroupBox, "Panel6", "Primary 1", kGroupLeft, kPrimaryTop, kGroupWidth,
     kGroupHeight},
    {"GroupBox5", K::GroupBox, "Panel6", "Secondary 1", kGroupLeft, kSecondaryTop, kGroupWidth,
     kGroupHeight},
};

// The .frq file, the last reading and Start.
const ControlSpec kFileNameLabel = {"Label36", K::Label, "Panel6", "File Name", 6, 424, 76, 22};

const ControlSpec kAfterFileName[] = {
    {"Label38", K::Label, "Panel6", "Last Data", 6, 452, 76, 22},
    {"Edit59", K::Edit, "Panel6", "", 86, 452, 200, 22},
    {"Button32", K::Button, "Panel6", "7600 Start", 6, 486, kGroupWidth, 40, 0,
     "font-weight: bold;"},

    {"PaintBox2", K::PaintBox, "Panel6", "", kGridLeft, 218, 969, 409},
};

// One group's buttons in the parameter table's order, down the first column and then the
// second; the button of the sweep's default code starts checked.
void addGroup(std::vector<ControlSpec>& table, const char* group,
              const char* lcr::MeasuredParameter::*button, const QString& defaultCode) {
    int index = 0;
    for (const lcr::MeasuredParameter& parameter : lcr::measuredParameters()) {
        const char* name = parameter.*button;
        if (name == nullptr) {
            continue;
        }
        const int column = index / kGroupRows;
        const int row = index % kGroupRows;
        const unsigned flags = defaultCode == QLatin1String(parameter.code) ? C : 0;
        table.push_back({name, K::RadioButton, group, parameter.caption, kGroupColumnLeft[column],
                         kGroupFirstRow + row * kGroupRowStep, kGroupColumnWidth, kLine, flags});
        ++index;
    }
}

// Edit60 starts with the sweep's default file name.
ControlSpec fileNameEdit(const lcr::SweepSettings& defaults) {
    static const QByteArray text = defaults.fileBaseName.toUtf8();
    return {"Edit60", K::Edit, "Panel6", text.constData(), 86, 424, 200, 22};
}

std::vector<ControlSpec> buildTable() {
    const lcr::SweepSettings defaults;
    std::vector<ControlSpec> table(std::begin(kBeforeGroups), std::end(kBeforeGroups));
    addGroup(table, "GroupBox4", &lcr::MeasuredParameter::primaryButton, defaults.primaryCode);
    addGroup(table, "GroupBox5", &lcr::MeasuredParameter::secondaryButton, defaults.secondaryCode);
    table.push_back(kFileNameLabel);
    table.push_back(fileNameEdit(defaults));
    table.insert(table.end(), std::begin(kAfterFileName), std::end(kAfterFileName));
    return table;
}

}  // namespace

std::span<const ControlSpec> lcrPanelControls() {
    static const std::vector<ControlSpec> table = buildTable();
    return table;
}

}  // namespace tarvix::shell
