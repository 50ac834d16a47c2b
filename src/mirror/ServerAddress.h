// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

namespace tarvix::mirror {

// A PostgreSQL server named as postgresql://USER@HOST[:PORT]/NAME (also postgres://). The
// host may be a socket folder, percent-encoded (postgresql://lab@%2Frun%2Fpg/tarvix), or left
// empty for the local server's default socket. A password has no place in it: the address
// shows in the process list and on the status line, so libpq takes it from ~/.pgpass or
// PGPASSWORD.
struct ServerAddress {
    QString user;
    QString host;
    int port = 0;  // 0: the server's default
    QString name;

    // Whether `text` names a server rather than a file.
    static bool isServer(const QString& text);
    // The address in `text`, or nullopt with `*why` saying what is wrong with it.
    static std::optional<ServerAddress> parse(const QString& text, QString* why);
    // The address as the operator reads it.
    QString text() const;
};

}  // namespace tarvix::mirror
