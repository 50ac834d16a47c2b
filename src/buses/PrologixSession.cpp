// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/PrologixSession.h"

#include <QTimer>

namespace tarvix::buses {

namespace {

const QByteArray kVersion = "Tarvix Prologix-compatible GPIB-ETHERNET controller, version 1.0";
const QByteArray kHelp =
    "++addr ++auto ++clr ++eoi ++eos ++eot_enable ++eot_char ++help ++ifc ++llo ++loc ++lon "
    "++mode ++read ++read_tmo_ms ++rst ++savecfg ++spoll ++srq ++status ++trg ++ver";
// Line ends ++eos appends to data for the instrument: CR LF, CR, LF, nothing.
const QByteArray kEosTerminators[] = {"\r\n", "\r", "\n", ""};
// Lines handled in one turn of the event loop, and lines waiting before the session takes
// no more bytes from its client.
constexpr int kLinesPerTurn = 8;
constexpr std::size_t kMaxWaitingLines = 256;
constexpr qint64 kReadChunk = 16 * 1024;
constexpr int kChunksPerTurn = 4;

}  // namespace

PrologixSession::PrologixSession(QTcpSocket* socket, bus::GpibBackend& backend,
                                 PrologixDeviceControl* control, QObject* parent)
    : QObject(parent), socket_(socket), backend_(backend), control_(control) {
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Qt stops reading from the network when this much waits unread: TCP holds the client.
    socket->setReadBufferSize(4 * kReadChunk);
    connect(socket, &QTcpSocket::readyRead, this, &PrologixSession::schedule);
    schedule();
}

void PrologixSession::schedule() {
    if (!scheduled_) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &PrologixSession::pump);
    }
}

void PrologixSession::pump() {
    scheduled_ = false;
    receive();
    for (int handled = 0; handled < kLinesPerTurn && !busy_ && !queue_.empty(); ++handled) {
        const PrologixLine line = std::move(queue_.front());
        queue_.pop_front();
        handleLine(line);
    }
    const bool moreBytes = socket_ && socket_->bytesAvailable() > 0;
    if (!busy_ && (!queue_.empty() || moreBytes)) {
        schedule();
    }
}

void PrologixSession::receive() {
    for (int chunk = 0; chunk < kChunksPerTurn && socket_ && queue_.size() < kMaxWaitingLines &&
                        socket_->bytesAvailable() > 0;
         ++chunk) {
        splitter_.feed(socket_->read(kReadChunk));
        while (auto line = splitter_.next()) {
            queue_.push_back(std::move(*line));
        }
    }
}

void PrologixSession::handleLine(const PrologixLine& line) {
    if (line.command) {
        if (line.overrun) {
            reply("Unrecognized command");
        } else {
            handleCommand(line.text);
        }
        return;
    }
    if (line.overrun) {
        if (control_ && mode_ == 1) {
            control_->inputOverrun(address_);  // the instrument's input buffer ran over
        }
        return;
    }
    handleData(line.text);
}

void PrologixSession::handleCommand(const QByteArray& command) {
    QList<QByteArray> arguments = command.simplified().split(' ');
    const QByteArray name = arguments.takeFirst().toLower();
    if (handleSetting(name, arguments)) {
        return;
    }
    if (name == "read") {
        readFromInstrument(arguments);
    } else if (name == "spoll") {
        serialPoll(arguments);
    } else if (name == "srq") {
        reply(control_ && control_->serviceRequest() ? "1" : "0");
    } else if (name == "clr") {
        unread_.clear();
        if (control_) {
            control_->deviceClear(address_);
        }
    } else if (name == "trg") {
        if (control_) {
            control_->trigger(address_);
        }
    } else if (name == "ver") {
        reply(kVersion);
    } else if (name == "help") {
        reply(kHelp);
    } else if (name == "ifc" || name == "loc" || name == "llo" || name == "rst") {
        // Bus management the simulated instruments do not need.
    } else {
        reply("Unrecognized command");
    }
}

bool PrologixSession::handleSetting(const QByteArray& name, const QList<QByteArray>& arguments) {
    const struct {
        const char* name;
        int* value;
        int low;
        int high;
    } settings[] = {
        {"addr", &address_, 0, 30},
        {"auto", &autoRead_, 0, 1},
        {"eoi", &eoi_, 0, 1},
        {"eos", &eos_, 0, 3},
        {"eot_enable", &eotEnable_, 0, 1},
        {"eot_char", &eotChar_, 0, 255},
        {"mode", &mode_, 0, 1},
        {"read_tmo_ms", &readTimeoutMs_, 1, 3000},
        {"lon", &listenOnly_, 0, 1},
        {"savecfg", &saveConfig_, 0, 1},
        {"status", &deviceStatus_, 0, 255},
    };
    for (const auto& entry : settings) {
        if (name == entry.name) {
            const int before = address_;
            setting(entry.value, arguments, entry.low, entry.high);
            if (address_ != before) {
                unread_.clear();
            }
            return true;
        }
    }
    return false;
}

void PrologixSession::handleData(const QByteArray& data) {
    if (mode_ != 1) {
        return;
    }
    // The controller cannot tell whether an instrument took the message; neither can we.
    const QByteArray message = data + kEosTerminators[eos_];
    int status = 0;
    backend_.send(address_, message.constData(), static_cast<int>(message.size()), &status);
    unread_.clear();  // a new message makes the instrument drop an unread reply
    if (autoRead_ == 1) {
        readFromInstrument({});
    }
}

// "++read" and "++read eoi" take the instrument's whole message; "++read CHAR" takes it up to
// and including that character, and the next read goes on from there.
void PrologixSession::readFromInstrument(const QList<QByteArray>& arguments) {
    QByteArray message = unread_.isEmpty() ? instrumentMessage() : unread_;
    unread_.clear();
    if (message.isEmpty()) {
        stayBusy();
        return;
    }
    bool byCharacter = false;
    const int character = arguments.isEmpty() ? -1 : arguments.first().toInt(&byCharacter);
    if (byCharacter && character >= 0 && character <= 255) {
        const qsizetype end = message.indexOf(static_cast<char>(character));
        if (end >= 0 && end + 1 < message.size()) {
            unread_ = message.mid(end + 1);
            write(message.left(end + 1));
            return;
        }
    }
    if (eotEnable_ == 1) {
        message.append(static_cast<char>(eotChar_));
    }
    write(message);
}

// The next reply of the instrument with its line end, or nothing when none waits. As a GPIB
// read goes on to the end of the message, a reply longer than one read is read on until a
// shorter piece ends it; its bytes are taken by count, as binary data may hold a NUL.
QByteArray PrologixSession::instrumentMessage() {
    QByteArray buffer(kReplyCapacity + 20, ' ');
    QByteArray message;
    bool received = false;
    for (;;) {
        std::uint16_t count = 0;
        int status = 0;
        backend_.enter(buffer.data(), kReplyCapacity, &count, address_, &status);
        if (status != 0) {
            break;
        }
        received = true;
        message.append(buffer.constData(), count);
        if (count < kReplyCapacity) {
            break;
        }
    }
    return received ? message + '\n' : QByteArray();
}

void PrologixSession::serialPoll(const QList<QByteArray>& arguments) {
    bool valid = true;
    const int address = arguments.isEmpty() ? address_ : arguments.first().toInt(&valid);
    if (!valid || (backend_.listenerPresent(address) & 0xFF) == 0) {
        stayBusy();
        return;
    }
    const std::optional<int> status = control_ ? control_->serialPoll(address) : 0;
    if (!status) {
        stayBusy();
        return;
    }
    reply(QByteArray::number(*status));
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
    write(text + "\r\n");
}

void PrologixSession::write(const QByteArray& bytes) {
    if (socket_) {
        socket_->write(bytes);
    }
}

void PrologixSession::stayBusy() {
    busy_ = true;
    QTimer::singleShot(readTimeoutMs_, this, [this] {
        busy_ = false;
        schedule();
    });
}

}  // namespace tarvix::buses
