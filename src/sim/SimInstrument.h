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

  protected:
    virtual void execute(std::string_view message) = 0;
    void queueReply(std::string reply);
    void discardReplies() { replies_.clear(); }

    // Replies nobody reads are dropped oldest first beyond this many.
    static constexpr std::size_t kReplyCapacity = 64;

  private:
    std::deque<std::string> replies_;
};

}  // namespace tarvix::sim
