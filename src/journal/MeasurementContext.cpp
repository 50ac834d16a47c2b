// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/MeasurementContext.h"

#include <QDateTime>

namespace tarvix::journal {

JournalStatements contextStatements(qint64 id, const MeasurementContext& context) {
    JournalStatements statements{
        {QStringLiteral("UPDATE measurement SET comment = ? WHERE id = ?"), {context.comment, id}}};
    for (const auto& [key, text] : context.values) {
        statements.push_back(
            {QStringLiteral("INSERT OR REPLACE INTO context (measurement_id, key, value) "
                            "VALUES (?, ?, ?)"),
             {id, key, text}});
    }
    return statements;
}

JournalStatement fileStatement(qint64 id, const QString& path, const QString& role) {
    return {QStringLiteral("INSERT INTO file (measurement_id, path, role, written) "
                           "VALUES (?, ?, ?, ?)"),
            {id, path, role, QDateTime::currentDateTime().toString(Qt::ISODateWithMs)}};
}

}  // namespace tarvix::journal
