// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include "sim/SimBench.h"

namespace tarvix::buses {

// Serves one instrument of the simulated bench on a TCP port of its own, the way LAN
// instruments serve SCPI on raw socket port 5025: lines in, replies out, no controller in
// between. The instrument and its state are the bench's, shared with every other client.
class RawInstrumentServer : public QObject {
    Q_OBJECT
  public:
    RawInstrumentServer(sim::SimBench& bench, int address, QObject* parent = nullptr);

    // Port 0 picks a free port; see port() for the one chosen. Fails when no instrument
    // answers at the address.
    bool listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return server_.serverPort(); }
    int instrumentAddress() const { return address_; }

  private:
    void accept();

    sim::SimBench& bench_;
    int address_;
    QTcpServer server_;
};

}  // namespace tarvix::buses
