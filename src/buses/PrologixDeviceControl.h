// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace tarvix::buses {

// What a Prologix-style controller does on the bus besides sending and reading messages:
// serial polls, the SRQ line, device clear, group execute trigger, and telling an instrument
// that a message was too long for it. A server without it answers polls of present listeners
// with 0 and does nothing for the rest.
class PrologixDeviceControl {
  public:
    virtual ~PrologixDeviceControl() = default;

    // The status byte of the instrument at `address`; nothing when none answers there.
    virtual std::optional<int> serialPoll(int address) = 0;
    // True while any instrument asserts SRQ.
    virtual bool serviceRequest() = 0;
    virtual void deviceClear(int address) = 0;
    virtual void trigger(int address) = 0;
    virtual void inputOverrun(int address) = 0;
};

}  // namespace tarvix::buses
