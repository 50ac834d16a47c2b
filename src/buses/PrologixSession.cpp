#include "buses/PrologixSession.h"

#include <QTimer>

namespace tarvix::buses {

namespace {

const QByteArray kVersion = "Tarvix Prologix-compatible GPIB-ETHERNET controller, version 1.0";

}  // namespace

PrologixSession::PrologixSession(QTcpSocket* socket, bus::GpibBackend& backend, QObject* parent)
    : QObject(parent), socket_(socket), backend_(backend) {
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::readyRead, this, &PrologixSession::receive);
    receive();
}

void PrologixSession::receive() {
    if (!socket_) {
        return;
    }
    splitter_.feed(socket_->readAll());
    while (auto line = splitter_.next()) {
        queue_.push_back(std::move(*line));
    }
    drain();
}

void PrologixSession::drain() {
    while (!busy_ && !queue_.empty()) {
        const PrologixLine line = std::move(queue_.front());
        queue_.pop_front();
        if (line.command) {
            handleCommand(line.text);
        } else {
            handleData(line.text);
        }
    }
}

void PrologixSession::handleCommand(const QByteArray& command) {
    QList<QByteArray> arguments = command.simplified().split(' ');
    const QByteArray name = arguments.takeFirst().toLower();
    if (name == "addr") {
        setting(&address_, arguments, 0, 30);
    } else if (name == "auto") {
        setting(&autoRead_, arguments, 0, 1);
    } else if (name == "eoi") {
        setting(&eoi_, arguments, 0, 1);
    } else if (name == "eos") {
        setting(&eos_, arguments, 0, 3);
    } else if (name == "eot_enable") {
        setting(&eotEnable_, arguments, 0, 1);
    } else if (name == "eot_char") {
        setting(&eotChar_, arguments, 0, 255);
    } else if (name == "mode") {
        setting(&mode_, arguments, 0, 1);
    } else if (name == "read_tmo_ms") {
        setting(&readTimeoutMs_, arguments, 1, 3000);
    } else if (name == "read") {
        readFromInstrument();
    } else if (name == "spoll") {
        serialPoll(arguments);
    } else if (name == "ver") {
        reply(kVersion);
    } else if (name == "clr" || name == "ifc" || name == "loc" || name == "llo" || name == "trg" ||
               name == "rst" || name == "savecfg") {
        // Bus management the simulated instruments do not need.
    } else {
        reply("Unrecognized command");
    }
}

void PrologixSession::handleData(const QByteArray& data) {
    if (mode_ != 1) {
        return;
    }
    // The controller cannot tell whether an instrument took the message; neither can we.
    int status = 0;
    backend_.send(address_, data.constData(), static_cast<int>(data.size()), &status);
    if (autoRead_ == 1) {
        readFromInstrument();
    }
}

void PrologixSession::readFromInstrument() {
    QByteArray buffer(kReplyCapacity + 20, ' ');
    std::uint16_t count = 0;
    int status = 0;
    backend_.enter(buffer.data(), kReplyCapacity, &count, address_, &status);
    if (status != 0) {
        stayBusy();
        return;
    }
    QByteArray message = buffer.left(buffer.indexOf('\0')) + '\n';
    if (eotEnable_ == 1) {
        message.append(static_cast<char>(eotChar_));
    }
    if (socket_) {
        socket_->write(message);
    }
}

void PrologixSession::serialPoll(const QList<QByteArray>& arguments) {
    bool valid = true;
    const int address = arguments.isEmpty() ? address_ : arguments.first().toInt(&valid);
    if (valid && (backend_.listenerPresent(address) & 0xFF) != 0) {
        reply("0");
    } else {
        stayBusy();
    }
}

void PrologixSession::setting(int* value, const QList<QByteArray>& arguments, int low, int high) {
    if (arguments.isEmpty()) {
        reply(QByteArray::number(*value));
        return;
    }
    bool valid = false;
    const int requested = arguments.first().toInt(&valid);
    if (valid && requested >= low && requested <= high) {
        *value = requested;
    }
}

void PrologixSession::reply(const QByteArray& text) {
    if (socket_) {
        socket_->write(text + "\r\n");
    }
}

void PrologixSession::stayBusy() {
    busy_ = true;
    QTimer::singleShot(readTimeoutMs_, this, [this] {
        busy_ = false;
        drain();
    });
}

}  // namespace tarvix::buses
