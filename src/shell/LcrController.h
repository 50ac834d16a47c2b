#pragma once

#include "shell/TForm1.h"

namespace tarvix::shell {

class LcrController : public PanelController {
public:
    explicit LcrController(TForm1& form);
    ~LcrController() override;
    void wire() override;
};

}  // namespace tarvix::shell
