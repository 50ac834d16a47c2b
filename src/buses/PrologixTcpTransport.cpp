// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/PrologixTcpTransport.h"

namespace tarvix::buses {

PrologixTcpTransport::PrologixTcpTransport(QString host, quint16 port, int connectTimeoutMs)
    : host_(std::move(host)), port_(port), connectTimeoutMs_(connectTimeoutMs) {}

bool PrologixTcpTransport::open(QString* error) {
    forgetInput();
    socket_ = std::make_unique<QTcpSocket>();
    socket_->connectToHost(host_, port_);
    if (!socket_->waitForConnected(connectTimeoutMs_)) {
        *error = QStringLiteral("cannot connect to the controller at %1: %2")
                     .arg(description(), socket_->errorString());
        socket_.reset();
        return false;
    }
    // Controller lines are short; send each at once.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

QString PrologixTcpTransport::description() const {
    return QStringLiteral("%1:%2").arg(host_).arg(port_);
}

bool PrologixTcpTransport::linkUp() const {
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

}  // namespace tarvix::buses
