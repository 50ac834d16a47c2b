// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "iv/CheckedBus.h"
#include "series/TimeTable.h"

namespace tarvix::iv {

// The current against time at a fixed level, read at address 24 as fast as the bus answers,
// into the next run column of the time table. `result` counts the readings taken as they come
// (so a failed exchange, which throws AcquisitionEnded, leaves the count of those kept) and,
// when the table had no room, holds the message that says so.
struct TimeDependenceResult {
    int rows = 0;
    QString message;
};

void recordTimeDependence(CheckedBus& link, series::TimeTable& table, TimeDependenceResult& result,
                          int level = 0, int durationMs = 8000);

}  // namespace tarvix::iv
