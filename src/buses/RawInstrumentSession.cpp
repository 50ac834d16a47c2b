// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/RawInstrumentSession.h"

#include <QTimer>
#include <limits>
#include <string>

namespace tarvix::buses {

namespace {

// Lines handled in one turn of the event loop, and lines waiting before the session takes
// no more bytes from its client.
constexpr int kLinesPerTurn = 8;
constexpr std::size_t kMaxWaitingLines = 256;
constexpr qint64 kReadChunk = 16 * 1024;
constexpr int kChunksPerTurn = 4;

}  // namespace

RawInstrumentSession::RawInstrumentSession(QTcpSocket* socket, sim::SimBench& bench, int address,
                                           QObject* parent)
    : QObject(parent), socket_(socket), bench_(bench), address_(address) {
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Qt stops reading from the network when this much waits unread: TCP holds the client.
    socket->setReadBufferSize(4 * kReadChunk);
    connect(socket, &QTcpSocket::readyRead, this, &RawInstrumentSession::schedule);
    schedule();
}

void RawInstrumentSession::schedule() {
    if (!scheduled_) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &RawInstrumentSession::pump);
    }
}

void RawInstrumentSession::pump() {
    scheduled_ = false;
    receive();
    for (int handled = 0; handled < kLinesPerTurn; ++handled) {
        const auto line = splitter_.next();
        if (!line) {
            break;
        }
        handle(*line);
    }
    if (splitter_.readyLines() > 0 || (socket_ && socket_->bytesAvailable() > 0)) {
        schedule();
    }
}

void RawInstrumentSession::receive() {
    for (int chunk = 0; chunk < kChunksPerTurn && socket_ &&
                        splitter_.readyLines() < kMaxWaitingLines && socket_->bytesAvailable() > 0;
         ++chunk) {
        splitter_.feed(socket_->read(kReadChunk));
    }
}

void RawInstrumentSession::handle(const RawLineSplitter::Line& line) {
    sim::SimInstrument* instrument = bench_.instrument(address_);
    if (!instrument || !socket_) {
        return;
    }
    if (line.overrun) {
        instrument->inputOverrun();  // the message ran over the instrument's input buffer
        return;
    }
    const std::string_view message(line.text.constData(),
                                   static_cast<std::size_t>(line.text.size()));
    if (bench_.send(address_, message) != 0) {
        return;
    }
    std::string reply;
    while (instrument->replyWaiting() &&
           bench_.enter(address_, std::numeric_limits<std::size_t>::max(), &reply) == 0) {
        socket_->write(QByteArray::fromStdString(reply).append('\n'));
    }
}

}  // namespace tarvix::buses
