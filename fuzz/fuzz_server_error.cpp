// SPDX-License-Identifier: GPL-3.0-or-later
#include <QSqlError>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "mirror/ServerError.h"

// Whatever a server or libpq says, with any SQLSTATE, is classified, and what reaches the
// status line is one line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QSqlError error(QStringLiteral("QPSQL: Unable to connect"), text,
                          QSqlError::StatementError, text.left(5));
    using namespace tarvix::mirror;
    classifyServerError(error);
    for (const QString& said :
         {serverMessage(error), refusedConnection(error), schemaProblem(error)}) {
        if (said.contains(QLatin1Char('\n'))) {
            __builtin_trap();
        }
    }
    return 0;
}
