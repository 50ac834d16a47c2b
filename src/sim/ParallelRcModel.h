// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <complex>
#include <functional>

namespace tarvix::sim {

// The device on the LCR meter's terminals: a resistance (fixed, or read live, such as the
// cryostat sample's) in parallel with a capacitance.
class ParallelRcModel {
  public:
    ParallelRcModel(std::function<double()> ohms, double farads);

    std::complex<double> impedance(double hertz) const;

    // Stray capacitance of the cryostat's wiring, in parallel with its sample.
    static constexpr double kCryostatFarads = 100e-12;

  private:
    std::function<double()> ohms_;
    double farads_;
};

}  // namespace tarvix::sim
