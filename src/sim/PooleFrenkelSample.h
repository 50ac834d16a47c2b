#pragma once

#include "sim/IvSample.h"

namespace tarvix::sim {

// A dielectric film: ohmic leakage at low voltage, Poole-Frenkel emission from traps taking
// over at higher voltage. I(V) = V/R + A·V·(exp(beta·sqrt|V|) - 1), odd in V.
// The defaults draw about 0.14 uA at 0.5 V and 1.2 uA at 2 V.
class PooleFrenkelSample : public IvSample {
  public:
    struct Parameters {
        double ohmicResistance = 5e6;   // ohm
        double emissionScale = 2.5e-8;  // A/V
        double beta = 2.0;              // 1/sqrt(V)
    };

    PooleFrenkelSample() = default;
    explicit PooleFrenkelSample(Parameters parameters) : parameters_(parameters) {}

    double current(double volts) const override;

  private:
    Parameters parameters_;
};

}  // namespace tarvix::sim
