// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "bus/GpibBus.h"

namespace tarvix::lcr {

// Sends the bias command of `biasMode` (0 OFF, 1 EXT, 2 INT) to the meter and checks it. Empty
// when the meter took it; otherwise the operator's message: `what` failed, with the address, the
// command and the status, and for "CONF:BIAS OFF" that the bias may still be on.
QString sendBiasChecked(bus::GpibBus& bus, int biasMode, const QString& what);

// Whether the meter's external bias may be on, as this window's commands left it: EXT ON and
// EXT OFF (Button35, Button34) switch it at once, a sweep's set-up sets the sweep's mode, and
// the window switches it off as it closes.
class ExternalBias {
  public:
    // EXT ON and EXT OFF; empty, or the message of the failure.
    QString switchOn(bus::GpibBus& bus);
    QString switchOff(bus::GpibBus& bus);
    // A sweep's set-up ran with `biasMode`; `taken` says whether the meter took its bias
    // command (otherwise the bias may be as it was).
    void sweepConfigured(int biasMode, bool taken);
    // The window closes: "CONF:BIAS OFF" goes out when the bias may be on.
    QString closeDown(bus::GpibBus& bus);

    bool mayBeOn() const { return mayBeOn_; }

  private:
    bool mayBeOn_ = false;
};

}  // namespace tarvix::lcr
