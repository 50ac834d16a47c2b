// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cctype>
#include <string_view>

namespace tarvix::sim {

// Whether `text` spells `upper` (given in capitals) in any mix of cases, as SCPI keywords,
// suffixes and units are matched.
inline bool equalsIgnoringCase(std::string_view upper, std::string_view text) {
    if (upper.size() != text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != upper[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace tarvix::sim
