// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <string>
#include <string_view>

namespace tarvix::sim {

// Error codes the simulated instruments report, with the texts real ones give.
namespace errors {
inline constexpr int kSyntax = -102;
inline constexpr int kDataType = -104;
inline constexpr int kParameterNotAllowed = -108;
inline constexpr int kMissingParameter = -109;
inline constexpr int kMnemonicTooLong = -112;
inline constexpr int kUndefinedHeader = -113;
inline constexpr int kInvalidSuffix = -131;
inline constexpr int kSettingsConflict = -221;
inline constexpr int kOutOfRange = -222;
inline constexpr int kIllegalValue = -224;
inline constexpr int kDataStale = -230;
inline constexpr int kQueueOverflow = -350;
inline constexpr int kInputOverrun = -363;
inline constexpr int kQueryInterrupted = -410;
inline constexpr int kTspSyntax = -285;
inline constexpr int kTspRuntime = -286;
// The 2400's own execution errors are positive.
inline constexpr int kOutputOff = 803;

std::string_view text(int code);
}  // namespace errors

// An instrument's error queue: first in, first out, ten entries; when it overflows the
// newest entry becomes "Queue overflow", as the standard asks.
class ErrorQueue {
  public:
    struct Entry {
        int code = 0;
        std::string message;
    };

    void push(int code);
    void push(int code, std::string message);
    // The oldest entry, removed; 0 "No error" when the queue is empty.
    Entry pop();
    std::size_t size() const { return entries_.size(); }
    void clear() { entries_.clear(); }

    // The SCPI reply form: -113,"Undefined header"; +803,"Not permitted with OUTPUT off".
    static std::string scpiText(const Entry& entry);

    static constexpr std::size_t kCapacity = 10;

  private:
    std::deque<Entry> entries_;
};

}  // namespace tarvix::sim
