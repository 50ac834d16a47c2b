// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalStatement.h"

#include <QSqlError>
#include <QSqlQuery>

namespace tarvix::journal {

std::optional<WriteFailure> execute(QSqlDatabase& db, const JournalStatement& statement) {
    QSqlQuery query(db);
    if (!query.prepare(statement.sql)) {
        return failureOf(query.lastError());
    }
    for (const QVariant& value : statement.values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        return failureOf(query.lastError());
    }
    return std::nullopt;
}

std::optional<WriteFailure> inTransaction(
    QSqlDatabase& db, const std::function<std::optional<WriteFailure>()>& body) {
    if (auto failure = execute(db, {QStringLiteral("BEGIN"), {}})) {
        return failure;
    }
    std::optional<WriteFailure> failure = body();
    if (!failure) {
        failure = execute(db, {QStringLiteral("COMMIT"), {}});
    }
    if (failure) {
        // SQLite may have rolled back already (a full disk); then this one only fails.
        execute(db, {QStringLiteral("ROLLBACK"), {}});
    }
    return failure;
}

std::optional<WriteFailure> executeEach(QSqlDatabase& db, const JournalStatements& statements) {
    for (const JournalStatement& statement : statements) {
        if (auto failure = execute(db, statement)) {
            return failure;
        }
    }
    return std::nullopt;
}

std::optional<WriteFailure> executeTogether(QSqlDatabase& db, const JournalStatements& statements) {
    if (statements.size() == 1) {
        return execute(db, statements.front());
    }
    return inTransaction(db, [&] { return executeEach(db, statements); });
}

}  // namespace tarvix::journal
