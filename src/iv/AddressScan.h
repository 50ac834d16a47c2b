// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

#include "bus/GpibBus.h"

namespace tarvix::iv {

// Identification scan of bus addresses 1..30 within one second of the Start press. Each
// instrument that answers gives one line "ADDRESS=" + address + "  " + its reply; the replies
// decide the source-meter model (later matches win).
struct ScanCallbacks {
    std::function<double()> nowDays;  // the clock, as days
    std::function<void(const QString&)> showMessage;
    std::function<void(const QString&)> addLine;
    // Told of every address whose reply names a source-measure unit model (may be empty).
    std::function<void(int address, int model)> identified;
};

// Returns the model after the scan (the given one when nothing new was identified).
int runAddressScan(bus::GpibBus& gpib, int sourceMeterModel, double scanStartDays,
                   const ScanCallbacks& callbacks);

// The source-meter address of the Model group: 24 (SCPI) or 26 (TSP).
constexpr int kScpiAddress = 24;
constexpr int kTspAddress = 26;
constexpr int kPicoammeterAddress = 14;

}  // namespace tarvix::iv
