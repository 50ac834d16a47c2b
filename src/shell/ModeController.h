// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shell/TForm1.h"

namespace tarvix::shell {

// The "VAX" choice of the mode selector; the four-probe and LCR choices belong to their panels.
class ModeController : public PanelController {
  public:
    explicit ModeController(TForm1& form);
    ~ModeController() override;
    void wire() override;

    void RadioButton58Click();
};

}  // namespace tarvix::shell
