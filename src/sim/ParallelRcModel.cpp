// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ParallelRcModel.h"

#include <numbers>

namespace tarvix::sim {

ParallelRcModel::ParallelRcModel(std::function<double()> ohms, double farads)
    : ohms_(std::move(ohms)), farads_(farads) {}

std::complex<double> ParallelRcModel::impedance(double hertz) const {
    const double omega = 2.0 * std::numbers::pi * hertz;
    const std::complex<double> admittance(1.0 / ohms_(), omega * farads_);
    return 1.0 / admittance;
}

}  // namespace tarvix::sim
