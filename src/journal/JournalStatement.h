// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>
#include <vector>

#include "journal/WriteFailure.h"

namespace tarvix::journal {

// One statement the journal is to write, with the values of its placeholders in order. Kept as
// data so that a write the file cannot take now can be made later, unchanged.
struct JournalStatement {
    QString sql;
    QVariantList values;
};

// Statements that belong together: written in one transaction, or not at all.
using JournalStatements = std::vector<JournalStatement>;

// Runs `statement` on `db`; the failure when it could not.
std::optional<WriteFailure> execute(QSqlDatabase& db, const JournalStatement& statement);

// Runs `body` in one transaction on `db`: committed when it returns no failure, otherwise
// rolled back; the failure of the body, or of the transaction itself.
std::optional<WriteFailure> inTransaction(QSqlDatabase& db,
                                          const std::function<std::optional<WriteFailure>()>& body);

// Runs `statements` in order, up to the first that fails (inside a caller's transaction).
std::optional<WriteFailure> executeEach(QSqlDatabase& db, const JournalStatements& statements);

// Runs `statements` together: all of them, or none.
std::optional<WriteFailure> executeTogether(QSqlDatabase& db, const JournalStatements& statements);

}  // namespace tarvix::journal
