// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::buses {

// A backend that can tell the operator, at start, why its board check will say no
// (a missing library, an unconfigured board). The program prints the text.
class StartupWarning {
  public:
    virtual ~StartupWarning() = default;
    // Empty when there is nothing to say.
    virtual QString startupWarning() const = 0;
};

}  // namespace tarvix::buses
