// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvix::sim {

// A SCPI header or keyword pattern in the manuals' notation: keywords separated by colons,
// the short form in capitals ("VOLTage" takes VOLT and VOLTAGE in any case), optional nodes
// in brackets: "[:SOURce]:VOLTage[:LEVel][:IMMediate][:AMPLitude]", "[SENSe:]FUNCtion",
// "*IDN". A keyword may end in a numeric suffix ("CALCulate3"); none stands for 1. The same
// notation names the keyword choices of parameters.
class ScpiPattern {
  public:
    explicit ScpiPattern(std::string_view pattern);

    // True when the keywords (a header split at its colons) spell this pattern.
    bool matches(const std::vector<std::string_view>& keywords) const;
    // A path such as "VOLT:DC" (the text of a quoted parameter) or one keyword "FIX".
    bool matchesPath(std::string_view path) const;

    // A header split at its colons; an empty keyword marks a malformed header.
    static std::vector<std::string_view> splitPath(std::string_view path);

  private:
    struct Node {
        std::string shortForm;  // upper case
        std::string longForm;   // upper case
        std::string suffix;     // the numeric suffix, "1" when none is written
        bool optional = false;
    };

    bool matchFrom(std::size_t node, const std::vector<std::string_view>& keywords,
                   std::size_t keyword) const;
    static bool nodeMatches(const Node& node, std::string_view keyword);

    std::vector<Node> nodes_;
};

}  // namespace tarvix::sim
