// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>

#include "bus/GpibBackend.h"
#include "sim/SimBench.h"

namespace tarvix::sim {

// The simulated bench behind the board library's six operations. A reply is written into
// the caller's buffer without line end and closed with a NUL; an enter that finds nothing
// waiting fails with a time-out status and leaves the buffer untouched.
class SimBackend : public bus::GpibBackend {
  public:
    explicit SimBackend(std::unique_ptr<SimBench> bench);

    int boardPresent() override { return 1; }
    int initialize(int, int) override { return 0; }
    int setTimeout(std::uint32_t) override { return 0; }
    int listenerPresent(int address) override;
    void send(int address, const char* command, int length, int* status) override;
    void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
               int* status) override;

    SimBench& bench() { return *bench_; }

  private:
    std::unique_ptr<SimBench> bench_;
};

// The simulated bench as a bus backend. `options` is the text after "sim:" (may be empty):
// comma-separated smu=2400|2410|2636A, absent=A/B, noise=0, latency=MS, fail=send:A,
// fail=enter:A, sample=..., temp=START..END@RATE, lcr=rc:OHMS/FARADS (see parseSimOptions).
// Returns null and sets `error` for options it does not understand.
std::unique_ptr<bus::GpibBackend> createSimBackend(const QString& options, QString* error);

}  // namespace tarvix::sim
