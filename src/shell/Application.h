// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::shell {

// The program entry: command line, bus, main window, event loop.
int runApplication(int argc, char** argv);

}  // namespace tarvix::shell
