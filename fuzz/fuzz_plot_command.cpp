// SPDX-License-Identifier: GPL-3.0-or-later
#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "plot/PlotCommand.h"

// Any recipe line after "plot" either fails with a reason or gives a command that carries
// exactly the finite values its kind needs (and a file name to save to).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString words =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    tarvix::plot::PlotCommand command;
    QString why;
    using Kind = tarvix::plot::PlotCommand::Kind;
    if (!tarvix::plot::PlotCommand::parse(words, command, why)) {
        if (why.isEmpty()) {
            __builtin_trap();
        }
        return 0;
    }
    std::size_t wanted = 0;
    switch (command.kind) {
        case Kind::Size:
        case Kind::Hover:
            wanted = 2;
            break;
        case Kind::Zoom:
            wanted = 4;
            break;
        case Kind::Hide:
        case Kind::Show:
            wanted = 1;
            break;
        case Kind::Save:
            if (command.path.isEmpty()) {
                __builtin_trap();
            }
            break;
        case Kind::Fit:
        case Kind::Log:
            break;
    }
    if (command.values.size() != wanted) {
        __builtin_trap();
    }
    for (const double value : command.values) {
        if (!std::isfinite(value)) {
            __builtin_trap();
        }
    }
    return 0;
}
