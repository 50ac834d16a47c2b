#include "shell/LcrController.h"

namespace tarvix::shell {

LcrController::LcrController(TForm1& form) : PanelController(form) {}
LcrController::~LcrController() = default;

void LcrController::wire() {}

}  // namespace tarvix::shell
