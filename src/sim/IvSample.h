// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::sim {

// A two-terminal sample on the I-V bench: the current it draws at a voltage. Odd in the
// voltage and strictly increasing, so a current source finds one voltage for each current.
class IvSample {
  public:
    virtual ~IvSample() = default;

    virtual double current(double volts) const = 0;

    // The voltage at which the sample draws `amps` (a current source driving it).
    double voltageFor(double amps) const;
    // What an ohmmeter reads: the chord resistance at a small test voltage.
    double ohmmeterResistance() const;

    static constexpr double kOhmmeterTestVolts = 0.1;
};

}  // namespace tarvix::sim
