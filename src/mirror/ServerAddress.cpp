// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/ServerAddress.h"

#include <QRegularExpression>
#include <QUrl>

namespace tarvix::mirror {

namespace {

constexpr int kMaxPort = 65535;

QString decoded(const QString& part) {
    return QUrl::fromPercentEncoding(part.toUtf8());
}

}  // namespace

bool ServerAddress::isServer(const QString& text) {
    return text.contains(QStringLiteral("://"));
}

std::optional<ServerAddress> ServerAddress::parse(const QString& text, QString* why) {
    static const QRegularExpression form(
        QStringLiteral("^postgres(?:ql)?://(?:([^@/]*)@)?(\\[[0-9A-Fa-f:.]*\\]|[^:/@]*)"
                       "(?::([^/]*))?(?:/(.*))?$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = form.match(text);
    const auto refuse = [&](const QString& reason) {
        *why = QStringLiteral("database %1: %2").arg(text, reason);
        return std::nullopt;
    };
    if (!match.hasMatch()) {
        return refuse(QStringLiteral(
            "not a SQLite file nor a server address postgresql://USER@HOST[:PORT]/NAME"));
    }
    ServerAddress address;
    address.user = decoded(match.captured(1));
    if (address.user.contains(':')) {
        return refuse(QStringLiteral(
            "a password does not belong in the address; put it in ~/.pgpass or PGPASSWORD"));
    }
    if (match.capturedLength(1) == 0 && text.contains('@')) {
        return refuse(QStringLiteral("no user name before \"@\""));
    }
    // An IPv6 literal stays as written, in its brackets.
    address.host =
        match.captured(2).startsWith('[') ? match.captured(2) : decoded(match.captured(2));
    if (match.hasCaptured(3)) {
        bool number = false;
        address.port = match.captured(3).toInt(&number);
        if (!number || address.port < 1 || address.port > kMaxPort) {
            return refuse(QStringLiteral("the port must be a number from 1 to %1").arg(kMaxPort));
        }
    }
    address.name = decoded(match.captured(4));
    if (address.name.isEmpty() || address.name.contains('/') || address.name.contains('?')) {
        return refuse(QStringLiteral("no database name after the host (\"/NAME\")"));
    }
    return address;
}

QString ServerAddress::text() const {
    QString shown = QStringLiteral("postgresql://");
    if (!user.isEmpty()) {
        shown += QString::fromUtf8(QUrl::toPercentEncoding(user)) + '@';
    }
    static const QRegularExpression literal(QStringLiteral("^\\[[0-9A-Fa-f:.]*\\]$"));
    shown +=
        literal.match(host).hasMatch() ? host : QString::fromUtf8(QUrl::toPercentEncoding(host));
    if (port != 0) {
        shown += QStringLiteral(":%1").arg(port);
    }
    return shown + '/' + QString::fromUtf8(QUrl::toPercentEncoding(name));
}

}  // namespace tarvix::mirror
