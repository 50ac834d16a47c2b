// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <string_view>

#include "bus/GpibBackend.h"

namespace tarvix::bus {

// The program's only road to the instruments. Every send and enter overwrites the shared
// status word; 0 means the exchange succeeded.
class GpibBus {
  public:
    explicit GpibBus(std::unique_ptr<GpibBackend> backend);

    bool boardPresent();
    void initialize(int first = 0, int second = 0);
    void setTimeout(int timeout);
    bool listenerPresent(int address);
    void send(int address, std::string_view command);
    // Rebuilds `buffer` as 10 * (maxLength / 10 + 2) spaces and lets the backend write the
    // reply and its NUL into the start of it.
    void enter(QByteArray& buffer, int maxLength, int address);

    // The text of a reply buffer up to its NUL (the whole buffer when there is none).
    static QByteArray replyText(const QByteArray& buffer);

    int gpibStatus() const { return status_; }
    std::uint16_t receivedCount() const { return received_; }
    GpibBackend& backend() { return *backend_; }

  private:
    std::unique_ptr<GpibBackend> backend_;
    int status_ = 0;
    std::uint16_t received_ = 0;
};

// Buffer length handed to the library for a maximum reply length: 90 for 70, 120 for 100.
int replyBufferLength(int maxLength);

}  // namespace tarvix::bus
