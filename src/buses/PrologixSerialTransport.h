// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIODevice>
#include <QString>
#include <memory>

#include "buses/PrologixTransport.h"

namespace tarvix::buses {

// A Prologix-style controller on a USB serial port (115200 baud, 8N1). Without Qt's
// serial port module every open fails with a message saying so.
class PrologixSerialTransport : public PrologixTransport {
  public:
    explicit PrologixSerialTransport(QString devicePath);

    bool open(QString* error) override;
    void close() override { port_.reset(); }
    QString description() const override { return devicePath_; }
    bool linkUp() const override;

  protected:
    QIODevice* device() const override { return port_.get(); }

  private:
    QString devicePath_;
    std::unique_ptr<QIODevice> port_;  // a QSerialPort when the module is there
};

}  // namespace tarvix::buses
