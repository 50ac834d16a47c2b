#pragma once

#include "shell/TForm1.h"

namespace tarvix::shell {

class SeriesFilesController : public PanelController {
public:
    explicit SeriesFilesController(TForm1& form);
    ~SeriesFilesController() override;
    void wire() override;
};

}  // namespace tarvix::shell
