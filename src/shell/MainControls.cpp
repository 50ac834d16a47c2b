// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ControlTables.h"

// The window's top-level controls and the I-V panel (Panel1) with its sweep tables, in their
// design state. Positions inside the panels are ours; the top-level ones are the design's.
namespace tarvix::shell {

namespace {

using K = ControlKind;
constexpr unsigned H = kHidden;
constexpr unsigned C = kChecked;
constexpr unsigned D = kDisabled;
constexpr unsigned W = kWrap;
constexpr const char* kResultStyle = "font-size: 10px;";

const ControlSpec kTopLevel[] = {
    {"Panel1", K::Panel, "", "", 0, 0, 1185, 721, 0, "#Panel1 { background: #a0a0a0; }"},
    {"Panel4", K::Panel, "", "", 80, 56, 897, 177, H},
    {"Panel6", K::Panel, "", "", 1216, 40, 1265, 633, H},
    {"Panel5", K::Panel, "", "", 312, 184, 633, 449},
    {"PaintBox1", K::PaintBox, "Panel5", "", 0, 0, 633, 425},
    {"Label45", K::Label, "Panel5", "[]", 4, 428, 620, 18},
    {"GroupBox7", K::GroupBox, "", "Measurement mode", 10, 728, 185, 97, H},
    {"RadioButton58", K::RadioButton, "GroupBox7", "VAX", 10, 20, 160, 22, C},
    {"RadioButton59", K::RadioButton, "GroupBox7", "4 Probe", 10, 44, 160, 22},
    {"RadioButton60", K::RadioButton, "GroupBox7", "7600", 10, 68, 160, 22},
    {"ListBox1", K::ListBox, "", "", 312, 720, 633, 73},
};

const ControlSpec kRegimeAndModel[] = {
    {"GroupBox1", K::GroupBox, "Panel1", "Regim", 8, 4, 144, 104},
    {"RadioButton1", K::RadioButton, "GroupBox1", "Resistance  meas.", 8, 18, 132, 20},
    {"RadioButton2", K::RadioButton, "GroupBox1", "Voltage sweep", 8, 38, 132, 20, C},
    {"RadioButton75", K::RadioButton, "GroupBox1", "By Manual", 8, 58, 132, 20},
    {"RadioButton3", K::RadioButton, "GroupBox1", "Current sweep", 8, 78, 132, 20, H | D},
    {"GroupBox9", K::GroupBox, "Panel1", "Model", 158, 4, 142, 104},
    {"RadioButton88", K::RadioButton, "GroupBox9", "2400", 8, 18, 120, 20, C},
    {"RadioButton89", K::RadioButton, "GroupBox9", "2410", 8, 42, 120, 20},
    {"RadioButton90", K::RadioButton, "GroupBox9", "2636A", 8, 66, 120, 20},
    {"Button1", K::Button, "Panel1", "Start", 8, 114, 144, 30},
    {"Button22", K::Button, "Panel1", "Stop", 158, 114, 142, 30},
    {"Edit1", K::Edit, "Panel1", "Result", 8, 150, 220, 28, 0,
     "color: navy; font-weight: bold; font-size: 17px;"},
    {"Label1", K::Label, "Panel1", "[]", 234, 150, 66, 28, 0, "font-size: 20px;"},
    {"Label4", K::Label, "Panel1", "Comliance [A]", 8, 184, 136, 22, 0,
     "color: red; font-weight: bold; font-size: 16px;"},
    {"Edit6", K::Edit, "Panel1", "2E-6", 146, 184, 90, 22},
    {"Edit7", K::Edit, "Panel1", "2", 242, 184, 58, 22},
};

const ControlSpec kVoltageTable[] = {
    {"Panel2", K::Panel, "Panel1", "", 8, 212, 292, 304},
    {"CheckBox7", K::CheckBox, "Panel2", "1", 4, 6, 40, 22, C},
    {"CheckBox17", K::CheckBox, "Panel2", "", 46, 6, 20, 22, C},
    {"Edit9", K::Edit, "Panel2", "0", 70, 6, 100, 22},
    {"Edit10", K::Edit, "Panel2", "2", 176, 6, 100, 22},
    {"CheckBox2", K::CheckBox, "Panel2", "2", 4, 32, 40, 22},
    {"CheckBox1", K::CheckBox, "Panel2", "", 46, 32, 20, 22},
    {"Edit12", K::Edit, "Panel2", "2", 70, 32, 100, 22},
    {"Edit11", K::Edit, "Panel2", "0", 176, 32, 100, 22},
    {"CheckBox4", K::CheckBox, "Panel2", "3", 4, 58, 40, 22},
    {"CheckBox3", K::CheckBox, "Panel2", "", 46, 58, 20, 22},
    {"Edit14", K::Edit, "Panel2", "0", 70, 58, 100, 22},
    {"Edit13", K::Edit, "Panel2", "-2", 176, 58, 100, 22},
    {"CheckBox6", K::CheckBox, "Panel2", "4", 4, 84, 40, 22},
    {"CheckBox5", K::CheckBox, "Panel2", "", 46, 84, 20, 22},
    {"Edit16", K::Edit, "Panel2", "-2", 70, 84, 100, 22},
    {"Edit15", K::Edit, "Panel2", "0", 176, 84, 100, 22},
    {"CheckBox9", K::CheckBox, "Panel2", "5", 4, 110, 40, 22},
    {"CheckBox8", K::CheckBox, "Panel2", "", 46, 110, 20, 22},
    {"Edit18", K::Edit, "Panel2", "0", 70, 110, 100, 22},
    {"Edit17", K::Edit, "Panel2", "2", 176, 110, 100, 22},
    {"CheckBox11", K::CheckBox, "Panel2", "6", 4, 136, 40, 22},
    {"CheckBox10", K::CheckBox, "Panel2", "", 46, 136, 20, 22},
    {"Edit20", K::Edit, "Panel2", "2", 70, 136, 100, 22},
    {"Edit19", K::Edit, "Panel2", "0", 176, 136, 100, 22},
    {"CheckBox15", K::CheckBox, "Panel2", "7", 4, 162, 40, 22},
    {"CheckBox14", K::CheckBox, "Panel2", "", 46, 162, 20, 22},
    {"Edit22", K::Edit, "Panel2", "0", 70, 162, 100, 22},
    {"Edit21", K::Edit, "Panel2", "-2", 176, 162, 100, 22},
    {"CheckBox18", K::CheckBox, "Panel2", "8", 4, 188, 40, 22},
    {"CheckBox16", K::CheckBox, "Panel2", "", 46, 188, 20, 22},
    {"Edit8", K::Edit, "Panel2", "-2", 70, 188, 100, 22},
    {"Edit23", K::Edit, "Panel2", "0", 176, 188, 100, 22},
    {"Label3", K::Label, "Panel2", "sweep velocity [V/s]", 4, 218, 140, 22},
    {"RadioButton4", K::RadioButton, "Panel2", "", 146, 218, 20, 22},
    {"Edit40", K::Edit, "Panel2", "0.1", 170, 218, 106, 22},
    {"Label2", K::Label, "Panel2", "number of point", 4, 244, 140, 22},
    {"RadioButton5", K::RadioButton, "Panel2", "", 146, 244, 20, 22, C},
    {"Edit41", K::Edit, "Panel2", "40", 170, 244, 70, 22},
    {"Label10", K::Label, "Panel2", "", 244, 244, 46, 22, 0, "font-weight: bold;"},
    {"Label42", K::Label, "Panel2", "repeat", 4, 270, 140, 22},
    {"Edit61", K::Edit, "Panel2", "1", 170, 270, 70, 22},
};

const ControlSpec kCurrentTable[] = {
    {"Panel3", K::Panel, "Panel1", "", 8, 212, 292, 304, H},
    {"CheckBox20", K::CheckBox, "Panel3", "1", 4, 6, 40, 22, C},
    {"CheckBox19", K::CheckBox, "Panel3", "", 46, 6, 20, 22},
    {"Edit24", K::Edit, "Panel3", "0", 70, 6, 100, 22},
    {"Edit25", K::Edit, "Panel3", "1.5E-5", 176, 6, 100, 22},
    {"CheckBox22", K::CheckBox, "Panel3", "2", 4, 32, 40, 22},
    {"CheckBox21", K::CheckBox, "Panel3", "", 46, 32, 20, 22},
    {"Edit27", K::Edit, "Panel3", "1.5E-5", 70, 32, 100, 22},
    {"Edit26", K::Edit, "Panel3", "0", 176, 32, 100, 22},
    {"CheckBox24", K::CheckBox, "Panel3", "3", 4, 58, 40, 22},
    {"CheckBox23", K::CheckBox, "Panel3", "", 46, 58, 20, 22},
    {"Edit29", K::Edit, "Panel3", "0", 70, 58, 100, 22},
    {"Edit28", K::Edit, "Panel3", "-1.5E-05", 176, 58, 100, 22},
    {"CheckBox26", K::CheckBox, "Panel3", "4", 4, 84, 40, 22},
    {"CheckBox25", K::CheckBox, "Panel3", "", 46, 84, 20, 22},
    {"Edit31", K::Edit, "Panel3", "-1.5E-05", 70, 84, 100, 22},
    {"Edit30", K::Edit, "Panel3", "0", 176, 84, 100, 22},
    {"CheckBox28", K::CheckBox, "Panel3", "5", 4, 110, 40, 22},
    {"CheckBox27", K::CheckBox, "Panel3", "", 46, 110, 20, 22},
    {"Edit33", K::Edit, "Panel3", "0", 70, 110, 100, 22},
    {"Edit32", K::Edit, "Panel3", "1.5E-05", 176, 110, 100, 22},
    {"CheckBox30", K::CheckBox, "Panel3", "6", 4, 136, 40, 22},
    {"CheckBox29", K::CheckBox, "Panel3", "", 46, 136, 20, 22},
    {"Edit35", K::Edit, "Panel3", "1.5E-05", 70, 136, 100, 22},
    {"Edit34", K::Edit, "Panel3", "0", 176, 136, 100, 22},
    {"CheckBox32", K::CheckBox, "Panel3", "7", 4, 162, 40, 22},
    {"CheckBox31", K::CheckBox, "Panel3", "", 46, 162, 20, 22},
    {"Edit37", K::Edit, "Panel3", "0", 70, 162, 100, 22},
    {"Edit36", K::Edit, "Panel3", "-1.5E-05", 176, 162, 100, 22},
    {"CheckBox34", K::CheckBox, "Panel3", "8", 4, 188, 40, 22},
    {"CheckBox33", K::CheckBox, "Panel3", "", 46, 188, 20, 22},
    {"Edit38", K::Edit, "Panel3", "-1.5E-05", 70, 188, 100, 22},
    {"Edit39", K::Edit, "Panel3", "0", 176, 188, 100, 22},
    {"Label6", K::Label, "Panel3", "??", 70, 284, 60, 16},
    {"Label7", K::Label, "Panel3", "111", 176, 284, 60, 16},
    {"Label11", K::Label, "Panel3",
     "?????????? [??"
     "?/c]",
     4, 218, 140, 22},
    {"RadioButton6", K::RadioButton, "Panel3", "", 146, 218, 20, 22},
    {"Edit42", K::Edit, "Panel3", "10", 170, 218, 106, 22},
    {"Label13", K::Label, "Panel3", "?????", 4, 244, 140, 22},
    {"RadioButton7", K::RadioButton, "Panel3", "", 146, 244, 20, 22, C},
    {"Edit43", K::Edit, "Panel3", "40", 170, 244, 70, 22},
    {"Label12", K::Label, "Panel3", "", 244, 244, 46, 22, 0, "font-weight: bold;"},
};

const ControlSpec kSeriesAndFiles[] = {
    {"Edit44", K::Edit, "Panel1", "Comments", 8, 522, 292, 22},
    {"Button3", K::Button, "Panel1", "Open files", 8, 548, 92, 26},
    {"Button4", K::Button, "Panel1", "Delete", 104, 548, 84, 26},
    {"Button5", K::Button, "Panel1", "Save all series", 192, 548, 108, 26},
    {"Label15", K::Label, "Panel1", "///", 8, 578, 292, 18},
    {"Label5", K::Label, "Panel1", "DATE", 8, 598, 140, 18},
    {"Label43", K::Label, "Panel1", "TIME", 156, 598, 144, 18},
    {"Label26", K::Label, "Panel1", "Pass", 8, 618, 100, 18},
    {"CheckBox39", K::CheckBox, "Panel1", "Open last configuration of parameters", 8, 640, 292, 22,
     C},
};

const ControlSpec kChartControls[] = {
    {"CheckBox13", K::CheckBox, "Panel1", "Log scale", 312, 6, 190, 22, C},
    {"CheckBox35", K::CheckBox, "Panel1", "Line type", 312, 30, 190, 22, C},
    {"CheckBox40", K::CheckBox, "Panel1", "Real voltage mesurments", 312, 54, 190, 22},
    {"CheckBox12", K::CheckBox, "Panel1", "Show last measurements <50", 312, 128, 300, 22, C | H},
    {"Button6", K::Button, "Panel1", "Animation", 506, 6, 110, 26},
    {"Panel7", K::Panel, "Panel1", "", 506, 36, 110, 76},
    {"RadioButton8", K::RadioButton, "Panel7", "fast", 6, 4, 96, 22, C},
    {"RadioButton9", K::RadioButton, "Panel7", "middle", 6, 27, 96, 22},
    {"RadioButton10", K::RadioButton, "Panel7", "slow", 6, 50, 96, 22},
    {"Panel9", K::Panel, "Panel1", "", 624, 6, 321, 150},
    {"Button36", K::Button, "Panel9", "Save for Origin", 6, 6, 150, 26},
    {"CheckBox50", K::CheckBox, "Panel9", "ABS for log", 6, 38, 150, 22},
    {"CheckBox51", K::CheckBox, "Panel9", "+I instrumental drift", 6, 62, 160, 22},
    {"CheckBox52", K::CheckBox, "Panel9", "De noise", 6, 86, 150, 22},
    {"RadioButton83", K::RadioButton, "Panel9", "No", 176, 6, 80, 22, C},
    {"RadioButton84", K::RadioButton, "Panel9", "1K", 176, 30, 80, 22},
    {"RadioButton85", K::RadioButton, "Panel9", "10K", 176, 54, 80, 22},
    {"RadioButton87", K::RadioButton, "Panel9", "100K", 176, 78, 80, 22},
    {"RadioButton86", K::RadioButton, "Panel9", "1M", 176, 102, 80, 22},
    {"Edit5", K::Edit, "Panel1", "1.5E-5", 312, 158, 90, 22},
    {"Edit4", K::Edit, "Panel1", "-1.5E-5", 312, 636, 90, 22},
    {"Edit2", K::Edit, "Panel1", "-2", 408, 636, 70, 22},
    {"Panel10", K::Panel, "Panel1", "", 560, 636, 200, 22},
    {"Label23", K::Label, "Panel10", "0", 6, 2, 90, 18},
    {"Label24", K::Label, "Panel10", "0", 104, 2, 90, 18},
    {"Edit3", K::Edit, "Panel1", "2", 875, 636, 70, 22},
    {"ScrollBar1", K::ScrollBar, "Panel1", "", 312, 662, 633, 17, 0, "", 0, 10000, 10000, 1, 100},
    {"ScrollBar2", K::ScrollBar, "Panel1", "", 312, 686, 633, 17, 0, "", 0, 10000, 10000, 1, 100},
};

const ControlSpec kAnalysisColumn[] = {
    {"Label18", K::Label, "Panel1", "Sweep (1..8)", 956, 6, 150, 18, H},
    {"Edit46", K::Edit, "Panel1", "1", 1110, 4, 66, 22, H},
    {"Label19", K::Label, "Panel1", "Sweep numer (1..150)", 956, 30, 150, 18, H},
    {"Edit47", K::Edit, "Panel1", "1", 1110, 28, 66, 22, H},
    {"Button17", K::Button, "Panel1", "Ohm law", 956, 56, 150, 24, H},
    {"Button18", K::Button, "Panel1", "save", 1110, 56, 66, 24, H},
    {"Label17", K::Label, "Panel1", "", 956, 81, 220, 26, W, kResultStyle},
    {"PF", K::Button, "Panel1", "Pool-Frenkel", 956, 108, 150, 24, H},
    {"Button12", K::Button, "Panel1", "save", 1110, 108, 66, 24, H},
    {"Label16", K::Label, "Panel1", "", 956, 133, 220, 26, W, kResultStyle},
    {"Button8", K::Button, "Panel1", "TOPZ", 956, 160, 150, 24, H},
    {"Button13", K::Button, "Panel1", "save", 1110, 160, 66, 24, H},
    {"Label20", K::Label, "Panel1", "", 956, 185, 220, 26, W, kResultStyle},
    {"Button9", K::Button, "Panel1", "Tunnel current", 956, 212, 150, 24, H},
    {"Button14", K::Button, "Panel1", "save", 1110, 212, 66, 24, H},
    {"Label21", K::Label, "Panel1", "", 956, 237, 220, 26, W, kResultStyle},
    {"Button10", K::Button, "Panel1", "Shotki", 956, 264, 150, 24, H},
    {"Button15", K::Button, "Panel1", "save", 1110, 264, 66, 24, H},
    {"Label22", K::Label, "Panel1", "", 956, 289, 220, 26, W, kResultStyle},
    {"Button11", K::Button, "Panel1", "initial grafik", 956, 318, 150, 24, H},
    {"Button16", K::Button, "Panel1", "save", 1110, 318, 66, 24, H},
    // The sample as the fit's quantities need it: film thickness (nm), temperature (K),
    // contact area (cm²) and Richardson constant (A cm⁻² K⁻²).
    {"FitThicknessLabel", K::Label, "Panel1", "d, nm", 956, 348, 40, 18, H},
    {"FitThickness", K::Edit, "Panel1", "500", 996, 346, 64, 22, H},
    {"FitTemperatureLabel", K::Label, "Panel1", "T, K", 1066, 348, 40, 18, H},
    {"FitTemperature", K::Edit, "Panel1", "295", 1106, 346, 70, 22, H},
    {"FitContactAreaLabel", K::Label, "Panel1", "S, cm²", 956, 372, 40, 18, H},
    {"FitContactArea", K::Edit, "Panel1", "0.01", 996, 370, 64, 22, H},
    {"FitRichardsonLabel", K::Label, "Panel1", "A*", 1066, 372, 40, 18, H},
    {"FitRichardson", K::Edit, "Panel1", "120", 1106, 370, 70, 22, H},
    {"Label25", K::Label, "Panel1", "R=", 956, 396, 30, 20, H},
    {"Label27", K::Label, "Panel1", "???", 990, 396, 186, 18, H | W},
    {"FitSummary", K::Label, "Panel1", "", 956, 416, 220, 62, H, "font-size: 9px;"},
};

const ControlSpec kInstrumentOptions[] = {
    {"CheckBox38", K::CheckBox, "Panel1", "", 956, 480, 20, 22, H},
    {"Label44", K::Label, "Panel1", "Picoammeter 6485", 978, 482, 150, 18, H},
    {"GroupBox2", K::GroupBox, "Panel1", "time", 956, 506, 220, 74, H},
    {"RadioButton11", K::RadioButton, "GroupBox2", "7", 8, 18, 60, 20},
    {"RadioButton12", K::RadioButton, "GroupBox2", "5", 76, 18, 60, 20},
    {"RadioButton13", K::RadioButton, "GroupBox2", "2", 144, 18, 60, 20, C},
    {"RadioButton16", K::RadioButton, "GroupBox2", "1", 8, 44, 60, 20},
    {"RadioButton15", K::RadioButton, "GroupBox2", "0.5", 76, 44, 60, 20},
    {"RadioButton14", K::RadioButton, "GroupBox2", "0.1", 144, 44, 60, 20},
    {"CheckBox42", K::CheckBox, "Panel1", "Time", 956, 586, 100, 22, H},
    {"Edit45", K::Edit, "Panel1", "Edit45", 1060, 586, 116, 22, H},
    {"Button7", K::Button, "Panel1", "Save Time", 956, 612, 100, 24, H},
    {"Edit58", K::Edit, "Panel1", "Edit58", 1060, 613, 116, 22, H},
    {"CheckBox49", K::CheckBox, "Panel1", "Start VAX", 956, 640, 100, 22, H},
    {"Button33", K::Button, "Panel1", "ZeraduDOZ", 1060, 639, 116, 24, H},
    {"CheckBox47", K::CheckBox, "Panel1", "7600", 956, 668, 100, 22, H},
    {"Button21", K::Button, "Panel1", "Start 7600", 1060, 667, 116, 24, H},
    {"Button20", K::Button, "Panel1", "2636A", 956, 696, 100, 24, H},
};

}  // namespace

std::span<const ControlSpec> topLevelControls() {
    return kTopLevel;
}

std::vector<std::span<const ControlSpec>> ivPanelControls() {
    return {kRegimeAndModel, kVoltageTable,   kCurrentTable,     kSeriesAndFiles,
            kChartControls,  kAnalysisColumn, kInstrumentOptions};
}

std::span<const ControlSpec> analysisColumnControls() {
    return kAnalysisColumn;
}

}  // namespace tarvix::shell
