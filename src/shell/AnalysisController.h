#pragma once

#include "shell/TForm1.h"

namespace tarvix::shell {

class AnalysisController : public PanelController {
public:
    explicit AnalysisController(TForm1& form);
    ~AnalysisController() override;
    void wire() override;
};

}  // namespace tarvix::shell
