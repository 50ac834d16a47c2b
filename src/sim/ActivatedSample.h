// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/IvSample.h"
#include "sim/SampleTemperature.h"
#include "sim/SimOptions.h"

namespace tarvix::sim {

// An ohmic sample whose conductance is thermally activated: I = V/R0 · exp(−Ea/kT), at the
// temperature it is at when read. An Arrhenius plot of ln|I| at one voltage against 1/T is a
// line of slope −Ea/k.
class ActivatedSample : public IvSample {
  public:
    ActivatedSample(ActivatedValues values, SampleTemperature kelvin)
        : values_(values), kelvin_(std::move(kelvin)) {}

    double current(double volts) const override;
    static double current(const ActivatedValues& values, double volts, double kelvin);

  private:
    ActivatedValues values_;
    SampleTemperature kelvin_;
};

}  // namespace tarvix::sim
