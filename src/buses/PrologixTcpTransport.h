// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTcpSocket>
#include <memory>

#include "buses/PrologixTransport.h"

namespace tarvix::buses {

// A Prologix-style controller on the network (its TCP port, 1234 by default).
class PrologixTcpTransport : public PrologixTransport {
  public:
    PrologixTcpTransport(QString host, quint16 port, int connectTimeoutMs = 3000);

    bool open(QString* error) override;
    void close() override { socket_.reset(); }
    QString description() const override;
    bool linkUp() const override;

  protected:
    QIODevice* device() const override { return socket_.get(); }

  private:
    QString host_;
    quint16 port_;
    int connectTimeoutMs_;
    std::unique_ptr<QTcpSocket> socket_;
};

}  // namespace tarvix::buses
