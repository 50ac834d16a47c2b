// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/PrologixSerialTransport.h"

#include "buses/DeviceAccess.h"

#ifdef TARVIX_HAVE_SERIALPORT
#include <QSerialPort>
#endif

namespace tarvix::buses {

PrologixSerialTransport::PrologixSerialTransport(QString devicePath)
    : devicePath_(std::move(devicePath)) {}

#ifdef TARVIX_HAVE_SERIALPORT

bool PrologixSerialTransport::open(QString* error) {
    forgetInput();
    port_.reset();  // the device admits one opener
    auto port = std::make_unique<QSerialPort>(devicePath_);
    port->setBaudRate(QSerialPort::Baud115200);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite)) {
        QString reason = port->errorString();
        if (port->error() == QSerialPort::PermissionError && deviceRefusesUser(devicePath_)) {
            reason += QStringLiteral(": ") + permissionAdvice(GuardedDevice::UsbSerial);
        }
        *error = QStringLiteral("cannot open the controller's serial port %1: %2")
                     .arg(devicePath_, reason);
        return false;
    }
    port_ = std::move(port);
    return true;
}

bool PrologixSerialTransport::linkUp() const {
    const auto* port = static_cast<const QSerialPort*>(port_.get());
    // An unplugged adapter shows up as a resource error on the next read or write.
    return port && port->isOpen() && port->error() != QSerialPort::ResourceError;
}

#else

bool PrologixSerialTransport::open(QString* error) {
    *error = QStringLiteral("cannot open %1: this build has no serial port support (Qt SerialPort)")
                 .arg(devicePath_);
    return false;
}

bool PrologixSerialTransport::linkUp() const {
    return false;
}

#endif

}  // namespace tarvix::buses
