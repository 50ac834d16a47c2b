// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace tarvix::bus {

// The six operations of a GPIB board library, with the arguments in the library's order.
// A backend writes a reply into the start of the caller's buffer, without the instrument's
// line terminator, and ends it with a NUL; `maxLength` characters at most.
class GpibBackend {
  public:
    virtual ~GpibBackend() = default;

    virtual int boardPresent() = 0;  // low byte 1 when a board is installed
    virtual int initialize(int first, int second) = 0;
    virtual int setTimeout(std::uint32_t timeout) = 0;
    virtual int listenerPresent(int address) = 0;  // low byte non-zero when a device listens
    virtual void send(int address, const char* command, int length, int* status) = 0;
    virtual void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
                       int* status) = 0;
};

}  // namespace tarvix::bus
