// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/NoiseSource.h"

namespace tarvix::sim {

NoiseSource::NoiseSource(double scale, std::uint64_t seed) : scale_(scale), generator_(seed) {}

double NoiseSource::gaussian(double sigma) {
    if (silent() || sigma == 0.0) {
        return 0.0;
    }
    return normal_(generator_) * sigma * scale_;
}

double NoiseSource::disturb(double value, double relativeSigma, double absoluteSigma) {
    if (silent()) {
        return value;
    }
    return value * (1.0 + gaussian(relativeSigma)) + gaussian(absoluteSigma);
}

}  // namespace tarvix::sim
