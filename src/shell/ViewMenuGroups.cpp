// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ControlTables.h"

namespace tarvix::shell {

// clang-format off
const std::vector<const char*>& analysisToolNames() {
    static const std::vector<const char*> names = {
        "Label18",  "Edit46",   "Label19",  "Edit47",  "Button17",  "Button18", "PF",
        "Button12", "Button8",  "Button13", "Button9", "Button14",  "Button10", "Button15",
        "Button11", "Button16", "Label25",  "Label27", "FitSummary",
        "FitThicknessLabel",    "FitThickness",   "FitTemperatureLabel", "FitTemperature",
        "FitContactAreaLabel",  "FitContactArea", "FitRichardsonLabel",  "FitRichardson"};
    return names;
}
// clang-format on

const std::vector<const char*>& instrumentOptionNames() {
    static const std::vector<const char*> names = {
        "CheckBox38", "Label44",  "GroupBox2",    "CheckBox42", "Edit45",
        "Button7",    "Edit58",   "CheckBox49",   "Button33",   "CheckBox47",
        "Button21",   "Button20", "RadioButton3", "CheckBox12"};
    return names;
}

}  // namespace tarvix::shell
