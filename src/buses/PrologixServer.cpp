// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/PrologixServer.h"

#include <QTcpSocket>

#include "buses/PrologixSession.h"

namespace tarvix::buses {

PrologixServer::PrologixServer(bus::GpibBackend& backend, PrologixDeviceControl* control,
                               QObject* parent)
    : QObject(parent), backend_(backend), control_(control) {
    connect(&server_, &QTcpServer::newConnection, this, &PrologixServer::accept);
}

bool PrologixServer::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (!server_.listen(address, port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(address.toString())
                     .arg(port)
                     .arg(server_.errorString());
        return false;
    }
    return true;
}

void PrologixServer::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto* session = new PrologixSession(socket, backend_, control_, this);
        connect(socket, &QTcpSocket::disconnected, session, &QObject::deleteLater);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

}  // namespace tarvix::buses
