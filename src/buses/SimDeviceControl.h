// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "buses/PrologixDeviceControl.h"
#include "sim/SimBench.h"

namespace tarvix::buses {

// The bus lines of the simulated bench, for a PrologixServer that serves it.
class SimDeviceControl : public PrologixDeviceControl {
  public:
    explicit SimDeviceControl(sim::SimBench& bench) : bench_(bench) {}

    std::optional<int> serialPoll(int address) override;
    bool serviceRequest() override;
    void deviceClear(int address) override;
    void trigger(int address) override;
    void inputOverrun(int address) override;

  private:
    sim::SimBench& bench_;
};

}  // namespace tarvix::buses
