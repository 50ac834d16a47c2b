// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace tarvix::sim {

// The temperature a sample is at, in kelvin, asked at each reading: the cryostat's on the
// bench, a fixed value where none is given.
using SampleTemperature = std::function<double()>;

// Boltzmann's constant in eV/K, as the activated and Poole-Frenkel samples use it.
inline constexpr double kBoltzmannEv = 8.617333262e-5;

}  // namespace tarvix::sim
