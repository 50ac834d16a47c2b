// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "iv/ComplianceWatch.h"

namespace tarvix::iv {

// The running segment, shared by the sweep and the manual regime's scroll bar, and the
// run's tally of points at the compliance.
struct SegmentState {
    double level = 0;
    double step = 0;
    int pointCounter = 0;
    int segmentIndex = 1;
    double segmentEnd = 0;
    double startDays = 0;
    bool finished = false;
    ComplianceWatch compliance;
};

}  // namespace tarvix::iv
