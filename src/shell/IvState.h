// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>

#include "iv/SegmentState.h"
#include "iv/SweepPlan.h"

namespace tarvix::shell {

// The I-V side's shared state: what the design keeps at module level, owned by the window and
// handed by reference to the handlers that use it.
struct IvState {
    int sourceMeterModel = 0;       // the model of the unit at the chosen address, 0 if none
    std::map<int, int> smuModelAt;  // address -> model, as the last scan identified them
    int sourceMeterAddress = 24;
    double scanStartDays = 0;

    bool stopRequested = true;
    bool holdReleasePressed = false;  // Button33 "ZeraduDOZ"
    bool actionRunning = false;
    bool closeRequested = false;
    // A procedure that runs I-V sweeps one after another (I-V versus temperature) holds the
    // store between them too.
    bool sweepProcedureRunning = false;

    double voltageMin = -2;
    double voltageMax = 2;
    double currentMin = -1.5e-5;
    double currentMax = 1.5e-5;
    double compliance = 2e-6;
    double voltageCompliance = 2;
    float manualVoltage = 0;
    float cursorVoltage = 0;

    iv::SweepPlan voltagePlan;
    iv::SweepPlan currentPlan;
    iv::SegmentState segment;

    // Slot seriesCount holds data read from a file: the next measurement moves on first.
    bool openedSeriesProtected = false;
};

}  // namespace tarvix::shell
