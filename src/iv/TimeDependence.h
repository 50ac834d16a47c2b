#pragma once

#include <QString>

#include "bus/GpibBus.h"
#include "series/TimeTable.h"

namespace tarvix::iv {

// The current against time at a fixed level, read at address 24 as fast as the bus answers,
// into the next run column of the time table. Returns the number of readings taken and, when
// the table had no room, the message that says so.
struct TimeDependenceResult {
    int rows = 0;
    QString message;
};

TimeDependenceResult recordTimeDependence(bus::GpibBus& gpib, series::TimeTable& table,
                                          int level = 0, int durationMs = 8000);

}  // namespace tarvix::iv
