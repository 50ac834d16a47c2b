// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimClock.h"
#include "sim/SimEnvironment.h"
#include "sim/SimInstrument.h"
#include "sim/SimOptions.h"

namespace tarvix::sim {

// The simulated bench: the instruments at their bus addresses (the SMU at 24, or at 26 for
// a 2636A; the 6485 at 14; the scanning multimeter at 16; the 7600 LCR meter at 4), the
// physical world they share, and the bus-level exchanges with the options' absent
// addresses, injected faults and latency. Not thread-safe: use one bench from one thread.
class SimBench {
  public:
    // Status words of failed exchanges (0 is success).
    static constexpr int kNoListener = 1;     // nothing answers at the address
    static constexpr int kInjectedFault = 3;  // a fail= option hit this exchange
    static constexpr int kTimedOut = 8;       // enter with no reply waiting

    explicit SimBench(const SimOptions& options, SimClock clock = {});
    // The bench of an option text (see parseSimOptions); null with `error` set when the
    // text is not understood.
    static std::unique_ptr<SimBench> create(const QString& options, QString* error,
                                            SimClock clock = {});

    const SimOptions& options() const { return options_; }
    SimEnvironment& environment() { return *environment_; }

    // The instrument at `address`; null where none answers (no instrument, or absent).
    SimInstrument* instrument(int address);
    template <typename Instrument>
    Instrument* instrumentAs(int address) {
        return dynamic_cast<Instrument*>(instrument(address));
    }
    std::vector<int> addresses() const;

    bool listenerPresent(int address) const;
    // One program message to `address`; returns the status word.
    int send(int address, std::string_view message);
    // The next reply of `address`, at most `maxLength` characters, into `reply`; returns the
    // status word (kTimedOut, with `reply` untouched, when nothing waits).
    int enter(int address, std::size_t maxLength, std::string* reply);

  private:
    void install(int address, std::unique_ptr<SimInstrument> instrument);
    void wait() const;

    SimOptions options_;
    std::unique_ptr<SimEnvironment> environment_;
    std::map<int, std::unique_ptr<SimInstrument>> instruments_;
};

}  // namespace tarvix::sim
