#include "shell/AnalysisController.h"

namespace tarvix::shell {

AnalysisController::AnalysisController(TForm1& form) : PanelController(form) {}
AnalysisController::~AnalysisController() = default;

void AnalysisController::wire() {}

}  // namespace tarvix::shell
