// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::lcr {

struct FreqSweep;
struct SweepSettings;

// Told of every point a frequency sweep measures, so that a journal can keep it as it is
// measured without the sweep knowing about it.
class SweepObserver {
  public:
    virtual ~SweepObserver() = default;
    // A sweep with `settings` starts; its readings go to `file` (a full path).
    virtual void sweepStarted(const SweepSettings& settings, const QString& file) = 0;
    // Point `point` of `sweep` (1..sweepCount) is measured in full.
    virtual void pointStored(const FreqSweep& sweep, int point) = 0;
    // The sweep ended and its file `file` holds every reading it took.
    virtual void sweepWritten(const QString& file) = 0;
};

}  // namespace tarvix::lcr
