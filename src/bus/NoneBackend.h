// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bus/GpibBackend.h"

namespace tarvix::bus {

// No board installed: only the board check is ever asked, and it says no.
class NoneBackend : public GpibBackend {
  public:
    int boardPresent() override { return 0; }
    int initialize(int, int) override { return kNoBoard; }
    int setTimeout(std::uint32_t) override { return kNoBoard; }
    int listenerPresent(int) override { return 0; }
    void send(int, const char*, int, int* status) override { *status = kNoBoard; }
    void enter(char*, std::uint32_t, std::uint16_t* count, int, int* status) override {
        *count = 0;
        *status = kNoBoard;
    }

    static constexpr int kNoBoard = -1;
};

}  // namespace tarvix::bus
