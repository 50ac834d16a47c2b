// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>

#include "bus/BusTranscript.h"
#include "bus/GpibBus.h"

namespace tarvix::buses {

// Maps a connection string to a backend: "sim[:options]" (the default), "none",
// "linux-gpib[:BOARD]", "prologix:tcp:HOST[:PORT]" and "prologix:serial:DEVICE".
// Returns null and sets `error` for a string no backend takes or a controller that
// cannot be reached.
std::unique_ptr<bus::GpibBackend> createBackend(const QString& uri, QString* error);

// The bus the program uses: the backend of `uri`, wrapped in the transcript when one is given.
// `warning`, when given, receives what the operator should read at start about a bus that
// was made but will report no board (for instance "no GPIB library (libgpib.so.0) was
// found"); it is emptied otherwise.
std::unique_ptr<bus::GpibBus> createBus(const QString& uri, QString* error,
                                        bus::BusTranscript* transcript = nullptr,
                                        QString* warning = nullptr);

}  // namespace tarvix::buses
