#include "shell/ControlTables.h"

namespace tarvix::shell {

std::span<const ControlSpec> lcrPanelControls() {
    return {};
}

}  // namespace tarvix::shell
