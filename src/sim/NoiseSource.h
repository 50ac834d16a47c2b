// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>

namespace tarvix::sim {

// The bench's one source of measurement noise: a seeded generator, so that a run with the
// same options gives the same readings. A scale of 0 turns every draw into an exact 0.
class NoiseSource {
  public:
    NoiseSource(double scale, std::uint64_t seed);

    // A normally distributed draw with standard deviation `sigma` times the scale.
    double gaussian(double sigma);
    // `value` disturbed by a relative and an absolute part.
    double disturb(double value, double relativeSigma, double absoluteSigma);
    bool silent() const { return scale_ == 0.0; }

  private:
    double scale_;
    std::mt19937_64 generator_;
    std::normal_distribution<double> normal_{0.0, 1.0};
};

}  // namespace tarvix::sim
