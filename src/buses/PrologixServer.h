// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include "bus/GpibBackend.h"
#include "buses/PrologixDeviceControl.h"

namespace tarvix::buses {

// Serves a bus backend (usually the simulated bench) over the network the way a
// Prologix-style GPIB controller does, so that "prologix:tcp:..." can be tried without
// hardware. Every client gets its own controller state; they share the instruments.
// `control` (optional) carries serial polls, SRQ, device clear and triggers to them.
class PrologixServer : public QObject {
    Q_OBJECT
  public:
    explicit PrologixServer(bus::GpibBackend& backend, PrologixDeviceControl* control = nullptr,
                            QObject* parent = nullptr);

    // Port 0 picks a free port; see port() for the one chosen.
    bool listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return server_.serverPort(); }
    QHostAddress address() const { return server_.serverAddress(); }

  private:
    void accept();

    bus::GpibBackend& backend_;
    PrologixDeviceControl* control_;
    QTcpServer server_;
};

}  // namespace tarvix::buses
