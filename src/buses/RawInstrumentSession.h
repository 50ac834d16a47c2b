// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QTcpSocket>

#include "buses/RawLineSplitter.h"
#include "sim/SimBench.h"

namespace tarvix::buses {

// One client of a RawInstrumentServer: every line it sends is a program message for the
// instrument, and every reply the message brings goes straight back with a line feed, as a
// LAN instrument serves SCPI on its raw socket port. There is no controller in between:
// nothing to address, and no read command. Lines are handled a few at a time, so that every
// client of the bench gets its turn; a client that sends faster than its lines are handled
// is held back by TCP.
class RawInstrumentSession : public QObject {
    Q_OBJECT
  public:
    RawInstrumentSession(QTcpSocket* socket, sim::SimBench& bench, int address,
                         QObject* parent = nullptr);

  private:
    void schedule();
    void pump();
    void receive();
    void handle(const RawLineSplitter::Line& line);

    QPointer<QTcpSocket> socket_;
    sim::SimBench& bench_;
    int address_;
    RawLineSplitter splitter_;
    bool scheduled_ = false;
};

}  // namespace tarvix::buses
