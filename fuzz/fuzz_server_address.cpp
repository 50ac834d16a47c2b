// SPDX-License-Identifier: GPL-3.0-or-later
#include <QString>
#include <cstddef>
#include <cstdint>

#include "mirror/ServerAddress.h"

// Any text is refused with a reason naming it, or gives an address whose shown form reads
// back as the same address.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString why;
    const auto address = tarvix::mirror::ServerAddress::parse(text, &why);
    if (!address) {
        if (!why.startsWith(QStringLiteral("database "))) {
            __builtin_trap();
        }
        return 0;
    }
    QString again;
    const auto shown = tarvix::mirror::ServerAddress::parse(address->text(), &again);
    if (!shown || shown->user != address->user || shown->host != address->host ||
        shown->port != address->port || shown->name != address->name) {
        __builtin_trap();
    }
    return 0;
}
