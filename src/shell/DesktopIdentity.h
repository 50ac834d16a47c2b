// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::shell {

// Ties the program's windows to the installed desktop entry, by which a Wayland compositor or a
// task bar finds the name and icon, and gives them the icon also when no icon theme has it (a
// build folder, a desktop without the package).
void applyDesktopIdentity();

}  // namespace tarvix::shell
