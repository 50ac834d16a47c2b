// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/IvSample.h"
#include "sim/SampleTemperature.h"

namespace tarvix::sim {

// A dielectric film between two contacts: ohmic leakage at low voltage, Poole-Frenkel
// emission from traps of depth phi taking over at higher field. The emission is the physical
// one, C·V·exp(−(q·phi − beta'·sqrt|V|)/kT), less its zero-field part (which the leakage
// already holds), so that it vanishes at 0 V:
//   I(V) = V/R + A(T)·V·(exp(beta(T)·sqrt|V|) − 1), odd in V,
// where beta(T) = (q/kT)·sqrt(q / (pi·eps0·epsr·d)) is the barrier's lowering by the field V/d
// and A(T) = A·exp(−(q·phi/k)·(1/T − 1/Tref)) carries the trap's activation. At the reference
// temperature (a 500 nm film of permittivity 4.5 at 295 K, beta about 1.99/sqrt(V)) it draws
// about 0.14 uA at 0.5 V and 1.2 uA at 2 V; emission rules from about 10 V on. The film is at
// the temperature given at each reading, the reference one when none is given.
class PooleFrenkelSample : public IvSample {
  public:
    struct Parameters {
        double ohmicResistance = 5e6;       // ohm
        double emissionScale = 2.5e-8;      // A/V, at the reference temperature
        double relativePermittivity = 4.5;  // high-frequency permittivity of the film
        double thicknessM = 500e-9;
        double temperatureK = 295.0;  // the reference temperature
        double trapDepthEv = 0.3;     // phi
    };

    PooleFrenkelSample() = default;
    explicit PooleFrenkelSample(Parameters parameters, SampleTemperature kelvin = {})
        : parameters_(parameters), kelvin_(std::move(kelvin)) {}

    double current(double volts) const override;
    double current(double volts, double kelvin) const;
    const Parameters& parameters() const { return parameters_; }
    // beta at the reference temperature, 1/sqrt(V).
    double beta() const { return beta(parameters_.temperatureK); }
    double beta(double kelvin) const;

    static constexpr double kMaxAmps = 1e6;

  private:
    Parameters parameters_;
    SampleTemperature kelvin_;
};

}  // namespace tarvix::sim
