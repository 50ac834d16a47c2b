#include "shell/ThermoController.h"

namespace tarvix::shell {

ThermoController::ThermoController(TForm1& form) : PanelController(form) {}
ThermoController::~ThermoController() = default;

void ThermoController::wire() {}

}  // namespace tarvix::shell
