// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/IvSample.h"

namespace tarvix::sim {

// An ideal resistor: Ohm's law, exactly.
class ResistorSample : public IvSample {
  public:
    explicit ResistorSample(double ohms) : ohms_(ohms) {}

    double current(double volts) const override { return volts / ohms_; }
    double ohms() const { return ohms_; }

  private:
    double ohms_;
};

}  // namespace tarvix::sim
