// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::sim {

// What other instruments of the bench see of the source-measure unit: the current it drives
// through the I-V sample, which a picoammeter in series reads.
class SourceUnit {
  public:
    virtual ~SourceUnit() = default;

    // Noise-free, limited by the compliance; 0 with the output off or while sourcing current
    // (into the cryostat sample).
    virtual double ivSampleCurrent() const = 0;
};

}  // namespace tarvix::sim
