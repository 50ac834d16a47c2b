// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/WriteFailure.h"

#include <sqlite3.h>

#include <QSqlError>

namespace tarvix::journal {

WriteFailure failureOf(int sqliteCode, const QString& detail) {
    return {sqliteCode & 0xff, detail};
}

// Qt's driver gives SQLite's result code as the native code.
WriteFailure failureOf(const QSqlError& error) {
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    const QString detail =
        error.databaseText().isEmpty() ? error.text().trimmed() : error.databaseText();
    return failureOf(numeric ? code : SQLITE_ERROR, detail);
}

QString writeFailureReason(const WriteFailure& failure) {
    switch (failure.code) {
        case SQLITE_FULL:
            return QStringLiteral("disk full");
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return QStringLiteral("read-only");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral("in use by another program");
        default:
            break;
    }
    return failure.detail.isEmpty() ? QString::fromUtf8(sqlite3_errstr(failure.code))
                                    : failure.detail;
}

}  // namespace tarvix::journal
