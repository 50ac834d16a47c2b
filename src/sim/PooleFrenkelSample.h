#pragma once

#include "sim/IvSample.h"

namespace tarvix::sim {

// A dielectric film between two contacts: ohmic leakage at low voltage, Poole-Frenkel
// emission from traps taking over at higher field.
// I(V) = V/R + A·V·(exp(beta·sqrt|V|) - 1), odd in V, where beta is the trap barrier's
// lowering by the field V/d: beta = (q/kT)·sqrt(q / (pi·eps0·epsr·d)).
// The defaults (a 500 nm film of permittivity 4.5 at 295 K, beta about 1.99/sqrt(V)) draw
// about 0.14 uA at 0.5 V and 1.2 uA at 2 V; emission rules from about 10 V on.
class PooleFrenkelSample : public IvSample {
  public:
    struct Parameters {
        double ohmicResistance = 5e6;       // ohm
        double emissionScale = 2.5e-8;      // A/V
        double relativePermittivity = 4.5;  // high-frequency permittivity of the film
        double thicknessM = 500e-9;
        double temperatureK = 295.0;
    };

    PooleFrenkelSample() = default;
    explicit PooleFrenkelSample(Parameters parameters) : parameters_(parameters) {}

    double current(double volts) const override;
    const Parameters& parameters() const { return parameters_; }
    // beta, 1/sqrt(V).
    double beta() const;

  private:
    Parameters parameters_;
};

}  // namespace tarvix::sim
