// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace tarvix::status {

// "segment 2 of 3"; a count of 0 means the total is open: "sample 12".
struct ProgressCounter {
    QString name;
    int index = 0;
    int count = 0;
};

// How an action ended.
enum class Ending {
    Finished,  // ran to its end
    Stopped,   // Stop ended it early
    Ended,     // something else ended it; the reason says what
    Fault,     // a fault of an instrument or a file ended it; the reason says which
};

// Where a running procedure is: what it does, its counters, the present level or reading, and
// how much of the whole work is done. A procedure publishes one of these after every point and
// one with `ending` set when it ends; the status service turns them into the status line.
struct Progress {
    QString stage;  // "Voltage sweep", "Four-probe", "LCR sweep"
    std::vector<ProgressCounter> counters;
    QString reading;  // "0.97 V", "1000.00 Hz", ...
    int done = 0;     // units of work done over the whole action
    int total = 0;    // 0 when the total is not known
    std::optional<Ending> ending;
    QString reason;  // why an `Ended` action ended
};

}  // namespace tarvix::status
