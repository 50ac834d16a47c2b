// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// What Panel6's scroll bars show and what its preset buttons stand for. Buttons are given by
// the number in their design name (61 for RadioButton61).
namespace tarvix::lcr {

QString fminLabel(int hertz);          // Label33
QString fmaxLabel(int hertz);          // Label34
QString pointCountLabel(int count);    // Label35
QString acLevelLabel(int millivolts);  // Label37
QString countLabel(int value);         // Label40, Label41

// ScrollBar6 moves in steps of 5 mV: a position becomes the nearest multiple of 5.
int snapAcLevel(int millivolts);

// RadioButton61..64: the Fmax presets.
std::optional<int> fmaxPresetForButton(int button);
// RadioButton65..68: the trigger delay in milliseconds.
std::optional<int> triggerDelayForButton(int button);
// RadioButton69..71: the bias mode (2 internal, 1 external, 0 off).
std::optional<int> biasModeForButton(int button);

enum class MeasuringSpeed { Unset, Medium, Fast, VerySlow };
// RadioButton72..74; Unset for any other number (none of them checked).
MeasuringSpeed speedForButton(int button);

}  // namespace tarvix::lcr
