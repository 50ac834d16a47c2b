// SPDX-License-Identifier: GPL-3.0-or-later
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "buses/RawLineSplitter.h"

// Bytes a client sends to a raw instrument port, fed in chunks whose sizes come from the
// input itself. Every line that comes out holds no line feed, is no longer than the limit,
// and is empty only when it ran over.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr qsizetype kLimit = 16;
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    tarvix::buses::RawLineSplitter splitter(kLimit);
    qsizetype at = 0;
    while (at < input.size()) {
        const qsizetype chunk = 1 + static_cast<std::uint8_t>(input[at]) % 40;
        splitter.feed(QByteArrayView(input).sliced(at, std::min(chunk, input.size() - at)));
        at += chunk;
        while (const auto line = splitter.next()) {
            if (line->text.contains('\n') || line->text.size() > kLimit ||
                (line->text.isEmpty() && !line->overrun)) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
