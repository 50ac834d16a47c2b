#include "shell/ControlTables.h"

namespace tarvix::shell {

std::span<const ControlSpec> fourProbePanelControls() { return {}; }

}  // namespace tarvix::shell
