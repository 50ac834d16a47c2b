// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "status/Progress.h"

namespace tarvix::iv {

// What an acquisition needs from the window: the stop flag, the manual voltage, the enable
// boxes as they are at run time, "a point was stored: redraw and let pending events run",
// and the few window actions a sweep triggers.
class IvHost {
  public:
    virtual ~IvHost() = default;

    virtual bool stopRequested() const = 0;
    virtual void requestStop() = 0;
    virtual float manualVoltage() const = 0;
    virtual bool manualMode() const = 0;  // "By Manual" checked
    virtual bool segmentEnabled(int segment) const = 0;

    virtual void drawChart() = 0;  // redraws the I-V chart and lets pending events run
    virtual void letEventsRun() = 0;
    virtual void sleepMs(int milliseconds) = 0;
    virtual bool takeHoldRelease() = 0;  // "ZeraduDOZ" pressed since the last call
    virtual void runLcrSweep() = 0;      // performs the click of "7600 Start"
    virtual void runTimeDependence() = 0;
    // Where the procedure is, for the status line.
    virtual void reportProgress(const status::Progress&) {}
};

}  // namespace tarvix::iv
