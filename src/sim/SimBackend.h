#pragma once

#include <QString>
#include <memory>

#include "bus/GpibBackend.h"

namespace tarvix::sim {

// The simulated bench as a bus backend. `options` is the text after "sim:" (may be empty):
// comma-separated smu=2400|2410|2636A, absent=A/B, noise=0, latency=MS, fail=send:A,
// fail=enter:A, sample=..., temp=START..END@RATE, lcr=rc:OHMS/FARADS.
// Returns null and sets `error` for options it does not understand.
std::unique_ptr<bus::GpibBackend> createSimBackend(const QString& options, QString* error);

}  // namespace tarvix::sim
