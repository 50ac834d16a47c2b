// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvix::sim {

// Splits what arrives over the bus into what runs now and what is stored as a script: the
// lines between "loadscript NAME" (or "loadandrunscript NAME") and "endscript" form a script,
// possibly over many messages; everything else in a message is one chunk.
class TspScriptCollector {
  public:
    struct Piece {
        enum class Kind { Chunk, Script, Refused } kind = Kind::Chunk;
        std::string text;  // the chunk, or the script's source
        std::string name;  // empty for the anonymous script
        bool runAfterLoading = false;
    };

    // A script's source beyond this many characters is refused.
    static constexpr std::size_t kMaxScriptLength = std::size_t{1} << 20;

    std::vector<Piece> feed(std::string_view message);
    bool collecting() const { return collecting_; }
    void clear() { *this = TspScriptCollector(); }

  private:
    void takeLine(std::string_view line, std::string& chunk, std::vector<Piece>& pieces);

    bool collecting_ = false;
    bool overflowed_ = false;
    Piece script_;
};

}  // namespace tarvix::sim
