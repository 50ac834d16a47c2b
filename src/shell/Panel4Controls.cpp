// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ControlTables.h"

// The four-probe panel (Panel4) in its design state. The panel is short (897 x 177), so its
// controls stand in columns: the source current, the source unit, the LCR meter, the chart
// and the sample period, the read-outs; the actions and the saving options share the bottom
// row. Names without a design name start with "Thermo".
namespace tarvix::shell {

namespace {

using K = ControlKind;
constexpr unsigned C = kChecked;
constexpr unsigned D = kDisabled;

// Rows of the upper area and the bottom row.
constexpr int kRow1 = 22;
constexpr int kRow2 = 47;
constexpr int kRow3 = 72;
constexpr int kRow4 = 97;
constexpr int kRow5 = 122;
constexpr int kBottom = 150;
constexpr int kLine = 22;

// Read-out column: a caption, then its edit.
constexpr int kReadoutLeft = 662;
constexpr int kReadoutEditLeft = 714;
constexpr int kReadoutEditWidth = 178;  // a whole default real form (23 characters)

const ControlSpec kFourProbePanel[] = {
    {"Label28", K::Label, "Panel4", "4 probe method versus temperature", 6, 2, 300, 18, 0,
     "font-weight: bold;"},

    // Source current.
    {"GroupBox3", K::GroupBox, "Panel4", "ccurrent const", 4, 20, 176, 126},
    {"RadioButton17", K::RadioButton, "GroupBox3", "0.1 mkA", 8, 20, 80, 20},
    {"RadioButton18", K::RadioButton, "GroupBox3", "1 mkA", 8, 40, 80, 20},
    {"RadioButton19", K::RadioButton, "GroupBox3", "3 mkA", 8, 60, 80, 20, C},
    {"RadioButton20", K::RadioButton, "GroupBox3", "10 mkA", 8, 80, 80, 20},
    {"RadioButton21", K::RadioButton, "GroupBox3", "30 mkA", 8, 100, 80, 20},
    {"RadioButton22", K::RadioButton, "GroupBox3", "100 mkA", 92, 20, 80, 20},
    {"RadioButton77", K::RadioButton, "GroupBox3", "1 mA", 92, 40, 80, 20},
    {"RadioButton76", K::RadioButton, "GroupBox3", "10 mA", 92, 60, 80, 20},
    {"RadioButton78", K::RadioButton, "GroupBox3", "50 mA", 92, 80, 80, 20},
    {"RadioButton79", K::RadioButton, "GroupBox3", "1A", 92, 100, 80, 20},

    // Source unit and thermocouple channel.
    {"ThermoMaxVoltLabel", K::Label, "Panel4", "Max Volt", 188, kRow1, 60, kLine},
    {"Edit52", K::Edit, "Panel4", "50", 252, kRow1, 94, kLine},
    {"CheckBox44", K::CheckBox, "Panel4", "Двухпроводное", 188, kRow2, 158, kLine},
    {"Label51", K::Label, "Panel4", "Number of ter.cop", 188, kRow3, 112, kLine},
    {"Edit63", K::Edit, "Panel4", "7", 304, kRow3, 42, kLine},
    {"Button26", K::Button, "Panel4", "Check", 188, kRow4, 80, kLine},
    {"UpDown5", K::UpDown, "Panel4", "", 272, kRow4, 48, kLine, 0, "", 0, 100, 0},

    // The LCR meter instead of the source unit; its speeds are exclusive among themselves
    // only, and usable only while the meter is chosen.
    {"CheckBox48", K::CheckBox, "Panel4", "7600 Measurment", 354, kRow1, 140, kLine},
    {"ThermoSpeedPanel", K::Panel, "Panel4", "", 354, 46, 140, 76},
    {"RadioButton80", K::RadioButton, "ThermoSpeedPanel", "Очень медленно", 4, 3, 134, kLine, D},
    {"RadioButton81", K::RadioButton, "ThermoSpeedPanel", "Медленно (MED)", 4, 27, 134, kLine,
     C | D},
    {"RadioButton82", K::RadioButton, "ThermoSpeedPanel", "Быстро", 4, 51, 134, kLine, D},

    // Chart limits, sample period, time of the last sample.
    {"ThermoMaxRLabel", K::Label, "Panel4", "Max R Ohm", 502, kRow1, 72, kLine},
    {"Edit55", K::Edit, "Panel4", "100000", 576, kRow1, 78, kLine},
    {"Edit48", K::Edit, "Panel4", "0", 502, kRow2, 44, kLine},
    {"Label46", K::Label, "Panel4", "---", 548, kRow2, 24, kLine, 0,
     "qproperty-alignment: AlignCenter;"},
    {"Edit62", K::Edit, "Panel4", "120", 574, kRow2, 44, kLine},
    {"Label47", K::Label, "Panel4", "[C]", 622, kRow2, 32, kLine},
    {"ScrollBar9", K::ScrollBar, "Panel4", "", 502, kRow3 + 3, 152, 17, 0, "", 1, 20, 3, 1, 1},
    {"Label50", K::Label, "Panel4", "3", 502, kRow4, 20, kLine, 0, "font-weight: bold;"},
    {"Label49", K::Label, "Panel4", "sec for sample", 524, kRow4, 130, kLine},
    {"ThermoSampleTimeCaption", K::Label, "Panel4", "Last sample", 502, kRow5, 72, kLine},
    {"Label48", K::Label, "Panel4", "", 578, kRow5, 76, kLine},

    // Read-outs: the four-probe sample, the Start_d temperatures and the Termo reading.
    {"ThermoSampleNumberLabel", K::Label, "Panel4", "N", kReadoutLeft, kRow1, 16, kLine},
    {"Edit54", K::Edit, "Panel4", "", 680, kRow1, 60, kLine},
    {"ThermoTemperatureLabel", K::Label, "Panel4", "T, C", 746, kRow1, 30, kLine},
    {"Edit51", K::Edit, "Panel4", "", 778, kRow1, 114, kLine},
    {"ThermoResistanceLabel", K::Label, "Panel4", "R, Ohm", kReadoutLeft, kRow2, 50, kLine},
    {"Edit50", K::Edit, "Panel4", "", kReadoutEditLeft, kRow2, kReadoutEditWidth, kLine},
    {"ThermoTcKelvinLabel", K::Label, "Panel4", "Tc, K", kReadoutLeft, kRow3, 50, kLine},
    {"Edit56", K::Edit, "Panel4", "", kReadoutEditLeft, kRow3, kReadoutEditWidth, kLine},
    {"ThermoTcCelsiusLabel", K::Label, "Panel4", "Tc, C", kReadoutLeft, kRow4, 50, kLine},
    {"Edit57", K::Edit, "Panel4", "", kReadoutEditLeft, kRow4, kReadoutEditWidth, kLine},
    {"ThermoTermoLabel", K::Label, "Panel4", "Termo", kReadoutLeft, kRow5, 50, kLine},
    {"Edit49", K::Edit, "Panel4", "", kReadoutEditLeft, kRow5, kReadoutEditWidth, kLine},

    // Actions, and the saving options beside the save buttons.
    {"Button27", K::Button, "Panel4", "Start", 4, kBottom, 64, 24},
    {"Button28", K::Button, "Panel4", "Stop", 72, kBottom, 64, 24},
    {"Button30", K::Button, "Panel4", "Start_d", 140, kBottom, 70, 24},
    {"Button23", K::Button, "Panel4", "Termo", 214, kBottom, 64, 24},
    {"ThermoSaveEveryLabel", K::Label, "Panel4", "Сохранить каждую:", 290, kBottom, 128, 24},
    {"Edit53", K::Edit, "Panel4", "1", 420, kBottom + 1, 36, kLine},
    {"UpDown1", K::UpDown, "Panel4", "", 456, kBottom + 1, 20, kLine, 0, "", 1, 100, 1},
    {"ThermoSaveOfLabel", K::Label, "Panel4", "из записанных", 480, kBottom, 96, 24},
    {"CheckBox41", K::CheckBox, "Panel4", "Среднее", 580, kBottom + 1, 80, kLine},
    {"Button29", K::Button, "Panel4", "Save Data", 664, kBottom, 80, 24},
    {"Button31", K::Button, "Panel4", "Save 2", 748, kBottom, 70, 24},
    {"Button25", K::Button, "Panel4", "Close", 822, kBottom, 70, 24},
};

}  // namespace

std::span<const ControlSpec> fourProbePanelControls() {
    return kFourProbePanel;
}

}  // namespace tarvix::shell
