// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

namespace tarvix::shell {

class Controls;

struct ControlTip {
    const char* name;
    const char* tip;  // English; the caption itself stays as designed
};

// Tooltips for the controls whose captions do not explain themselves.
std::span<const ControlTip> controlTips();
void applyControlTips(const Controls& controls);

}  // namespace tarvix::shell
