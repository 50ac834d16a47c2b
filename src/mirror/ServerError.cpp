// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/ServerError.h"

#include <QRegularExpression>

namespace tarvix::mirror {

namespace {

// SQLSTATE 42501: insufficient privilege.
constexpr char kNoPrivilege[] = "42501";

QString firstLine(QString text) {
    text = text.trimmed();
    return text.left(text.indexOf(QLatin1Char('\n'))).trimmed();
}

}  // namespace

ServerFault classifyServerError(const QSqlError& error) {
    const QString state = error.nativeErrorCode();
    // Without a SQLSTATE no server answered the statement: the connection broke.
    if (state.size() != 5) {
        return ServerFault::Unreachable;
    }
    // Data exceptions, constraint violations, limits, a trigger's own refusal and a statement
    // a value broke are the rows' fault; the rest is the server's state or the link's.
    const QString kind = state.left(2);
    if (kind == QLatin1String("22") || kind == QLatin1String("23") || kind == QLatin1String("54") ||
        kind == QLatin1String("P0") || state == QLatin1String("42601")) {
        return ServerFault::Row;
    }
    if (kind == QLatin1String("08") || kind == QLatin1String("57") || kind == QLatin1String("53") ||
        kind == QLatin1String("40") || kind == QLatin1String("55")) {
        return ServerFault::Unreachable;
    }
    return ServerFault::Denied;
}

QString serverMessage(const QSqlError& error) {
    static const QRegularExpression severity(QStringLiteral("^(ERROR|FATAL|PANIC):\\s+"));
    static const QRegularExpression state(QStringLiteral("\\s*\\([0-9A-Z]{5}\\)$"));
    QString text = firstLine(error.databaseText());
    if (text.isEmpty()) {
        text = firstLine(error.text());
    }
    return text.remove(severity).remove(state);
}

QString refusedConnection(const QSqlError& error) {
    const QString text = error.databaseText();
    const qsizetype fatal = text.lastIndexOf(QLatin1String("FATAL:"));
    if (fatal < 0) {
        return {};
    }
    const QString said = firstLine(text.mid(fatal + 6));
    static const QRegularExpression missing(
        QStringLiteral("^(role|database) \"(.*)\" does not exist$"));
    if (const auto found = missing.match(said); found.hasMatch()) {
        return QStringLiteral("%1 %2 does not exist").arg(found.captured(1), found.captured(2));
    }
    return said;
}

QString schemaProblem(const QSqlError& error) {
    if (error.nativeErrorCode() == QLatin1String(kNoPrivilege)) {
        return QStringLiteral("permission denied to create tables");
    }
    return serverMessage(error);
}

}  // namespace tarvix::mirror
