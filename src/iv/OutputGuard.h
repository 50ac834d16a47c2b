// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include "bus/GpibBus.h"

namespace tarvix::iv {

// Switches a source-measure unit's output off on every way out of an action: the normal end
// calls switchOff(), and any other way out (a fault thrown, an early return) leaves it to the
// destructor. Once armed, the output-off command is the last thing the guarded unit is sent.
// A failed output-off is written into `problems`, for the operator to switch it off by hand.
class OutputGuard {
  public:
    // `address` 24 speaks SCPI, 26 TSP. With `picoammeter` the 6485 is put back into zero
    // check after the source is off.
    OutputGuard(bus::GpibBus& gpib, int address, QStringList& problems, bool picoammeter = false);
    ~OutputGuard();
    OutputGuard(const OutputGuard&) = delete;
    OutputGuard& operator=(const OutputGuard&) = delete;

    // Called just before the output-on command: from then on a failed output-off is reported
    // (before it the source was never switched on by this action).
    void outputSwitchedOn() { switchedOn_ = true; }
    void switchOff();

    static QString offCommand(int address);

  private:
    bus::GpibBus& gpib_;
    int address_;
    QStringList& problems_;
    bool picoammeter_;
    bool switchedOn_ = false;
    bool done_ = false;
};

}  // namespace tarvix::iv
