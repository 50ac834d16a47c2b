// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/RawInstrumentServer.h"

#include <QTcpSocket>

#include "buses/RawInstrumentSession.h"

namespace tarvix::buses {

RawInstrumentServer::RawInstrumentServer(sim::SimBench& bench, int address, QObject* parent)
    : QObject(parent), bench_(bench), address_(address) {
    connect(&server_, &QTcpServer::newConnection, this, &RawInstrumentServer::accept);
}

bool RawInstrumentServer::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (!bench_.instrument(address_)) {
        *error = QStringLiteral("no instrument answers at address %1").arg(address_);
        return false;
    }
    if (!server_.listen(address, port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(address.toString())
                     .arg(port)
                     .arg(server_.errorString());
        return false;
    }
    return true;
}

void RawInstrumentServer::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto* session = new RawInstrumentSession(socket, bench_, address_, this);
        connect(socket, &QTcpSocket::disconnected, session, &QObject::deleteLater);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

}  // namespace tarvix::buses
