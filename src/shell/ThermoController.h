#pragma once

#include "shell/TForm1.h"

namespace tarvix::shell {

class ThermoController : public PanelController {
public:
    explicit ThermoController(TForm1& form);
    ~ThermoController() override;
    void wire() override;
};

}  // namespace tarvix::shell
