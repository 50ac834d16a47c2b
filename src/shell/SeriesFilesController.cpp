#include "shell/SeriesFilesController.h"

namespace tarvix::shell {

SeriesFilesController::SeriesFilesController(TForm1& form) : PanelController(form) {}
SeriesFilesController::~SeriesFilesController() = default;

void SeriesFilesController::wire() {}

}  // namespace tarvix::shell
