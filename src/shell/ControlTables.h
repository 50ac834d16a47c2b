// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <vector>

#include "shell/ControlSpec.h"

namespace tarvix::shell {

std::span<const ControlSpec> topLevelControls();
std::vector<std::span<const ControlSpec>> ivPanelControls();
std::span<const ControlSpec> analysisColumnControls();
// The four-probe panel (Panel4) and the LCR panel (Panel6) with everything on them.
std::span<const ControlSpec> fourProbePanelControls();
std::span<const ControlSpec> lcrPanelControls();

// Names the View menu brings up: the analysis column and the hidden instrument options.
const std::vector<const char*>& analysisToolNames();
const std::vector<const char*>& instrumentOptionNames();

}  // namespace tarvix::shell
