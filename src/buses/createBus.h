#pragma once

#include <QString>
#include <memory>

#include "bus/BusTranscript.h"
#include "bus/GpibBus.h"

namespace tarvix::buses {

// Maps a connection string to a backend: "sim[:options]" (the default), "none", and the
// real controllers. Returns null and sets `error` for a string no backend takes.
std::unique_ptr<bus::GpibBackend> createBackend(const QString& uri, QString* error);

// The bus the program uses: the backend of `uri`, wrapped in the transcript when one is given.
std::unique_ptr<bus::GpibBus> createBus(const QString& uri, QString* error,
                                        bus::BusTranscript* transcript = nullptr);

}  // namespace tarvix::buses
