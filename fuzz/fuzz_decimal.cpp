// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/DecimalParse.h"
#include "text/NumberText.h"

// Any text either fails or gives a finite number whose default real form parses back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto value = tarvix::text::parseDecimal(text)) {
        const auto again =
            tarvix::text::parseDecimal(tarvix::text::defaultReal(*value).toStdString());
        if (!again) {
            __builtin_trap();
        }
    }
    tarvix::text::parseReply(text);
    tarvix::text::parseInteger(text);
    tarvix::text::parseLeadingNumber(text);
    return 0;
}
