// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace tarvix::sim {

// One simulated instrument on the bus: it takes program messages and queues replies, as the
// real one does behind its GPIB interface.
class SimInstrument {
  public:
    SimInstrument() = default;
    SimInstrument(const SimInstrument&) = delete;
    SimInstrument& operator=(const SimInstrument&) = delete;
    virtual ~SimInstrument() = default;

    // One program message, as sent (a trailing line end is ignored).
    void write(std::string_view message);
    // The next reply, at most `maxLength` characters (the rest of a longer one waits for the
    // next read); nothing when no reply waits, which a real bus meets as a time-out.
    std::optional<std::string> read(std::size_t maxLength);
    bool replyWaiting() const { return !replies_.empty(); }

    // The reply to "*IDN?".
    virtual std::string identification() const = 0;

    // The status byte as *STB? reads it (bit 4: a reply waits; bit 6: service requested).
    virtual int statusByte() const { return replyWaiting() ? kMessageAvailableBit : 0; }
    // A serial poll: the status byte with bit 6 telling a new service request, which the poll
    // acknowledges.
    int serialPoll();
    // True while the instrument asserts SRQ: it requests service and no poll has taken it.
    bool requestingService();
    // Device clear (SDC): unread replies go; settings and the error queue stay.
    void deviceClear();
    // A group execute trigger.
    virtual void trigger() {}
    // A message too long for the instrument's input buffer was cut off and dropped.
    virtual void inputOverrun() {}

  protected:
    virtual void execute(std::string_view message) = 0;
    void queueReply(std::string reply);
    void discardReplies() { replies_.clear(); }

    // Replies nobody reads are dropped oldest first beyond this many.
    static constexpr std::size_t kReplyCapacity = 64;
    static constexpr int kMessageAvailableBit = 1 << 4;
    static constexpr int kServiceBit = 1 << 6;

  private:
    std::deque<std::string> replies_;
    bool serviceAcknowledged_ = false;

    // Once the instrument no longer requests service, the next request is a new one.
    void settleServiceRequest();
};

}  // namespace tarvix::sim
