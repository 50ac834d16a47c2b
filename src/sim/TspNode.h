// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "sim/ErrorQueue.h"
#include "sim/SimClock.h"
#include "sim/TspDisplay.h"

namespace tarvix::sim {

class TspInterpreter;

// What a TSP instrument has besides its source-measure channel: localnode, the error queue,
// the status registers, the display, the beeper, the timer with delay(), opc() and
// waitcomplete(). Its clock is the bench's, moved on by delay() and by the time the
// instrument's own measurements take, so that a script's delays never hold the bench up.
class TspNode {
  public:
    struct Identity {
        std::string model;
        std::string serialNumber;
        std::string revision;
    };
    // Runs a common command ("*ESE 4", "*ESR?") and returns its reply.
    using CommonCommand = std::function<std::string(std::string_view command)>;

    TspNode(TspInterpreter& tsp, ErrorQueue& errors, SimClock clock, Identity identity,
            CommonCommand common, std::function<int()> statusByte);

    double now() const { return clock_() + offset_; }
    void advance(double seconds) { offset_ += seconds; }
    // Power-line cycles to seconds, at localnode.linefreq.
    double cycles(double nplc) const;
    void reset();

  private:
    void addLocalNode(const Identity& identity);
    void addErrorQueue();
    void addStatus();
    void addTiming();

    TspInterpreter& tsp_;
    ErrorQueue& errors_;
    SimClock clock_;
    CommonCommand common_;
    std::function<int()> statusByte_;
    TspDisplay display_;
    double offset_ = 0.0;
    double lineFrequency_ = 60.0;
    double timerStart_ = 0.0;
};

}  // namespace tarvix::sim
