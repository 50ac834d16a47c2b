// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QSqlError;

namespace tarvix::journal {

// Why the journal could not take a write: SQLite's primary result code and its own words.
struct WriteFailure {
    int code = 0;
    QString detail;
};

WriteFailure failureOf(const QSqlError& error);
WriteFailure failureOf(int sqliteCode, const QString& detail);

// The cause in the operator's words: "disk full", "read-only", "in use by another program",
// otherwise SQLite's own.
QString writeFailureReason(const WriteFailure& failure);

}  // namespace tarvix::journal
