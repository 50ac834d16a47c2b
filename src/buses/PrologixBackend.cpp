// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/PrologixBackend.h"

#include <QUrl>
#include <algorithm>
#include <cstring>

#include "buses/PrologixCodec.h"
#include "buses/PrologixSerialTransport.h"
#include "buses/PrologixTcpTransport.h"

namespace tarvix::buses {

namespace {

constexpr quint16 kDefaultPort = 1234;
// How long past the controller's own time-out we wait for it to hand over what it has.
constexpr int kReplySlackMs = 500;
constexpr int kVersionWaitMs = 2000;
// However the bytes trickle in, a reply ends this many times its quiet wait after the read.
constexpr int kOverallWaits = 3;
constexpr int kMostPollLines = 16;

bool validAddress(int address) {
    return address >= 0 && address <= 30;
}

bool isStatusByte(const QByteArray& line) {
    return !line.isEmpty() &&
           std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
}

QByteArray withoutLineEnd(QByteArray line) {
    while (line.endsWith('\r') || line.endsWith('\n')) {
        line.chop(1);
    }
    return line;
}

std::unique_ptr<PrologixTransport> transportFor(const QString& rest, QString* error) {
    if (rest.startsWith(QLatin1String("tcp:"))) {
        const QUrl url(QStringLiteral("tcp://") + rest.mid(4));
        if (!url.isValid() || url.host().isEmpty() || !url.path().isEmpty() ||
            !url.userInfo().isEmpty()) {
            *error = QStringLiteral("bad controller address \"%1\" (expected tcp:HOST[:PORT])")
                         .arg(rest.mid(4));
            return nullptr;
        }
        const int port = url.port(kDefaultPort);
        return std::make_unique<PrologixTcpTransport>(url.host(), static_cast<quint16>(port));
    }
    if (rest.startsWith(QLatin1String("serial:")) && rest.size() > 7) {
        return std::make_unique<PrologixSerialTransport>(rest.mid(7));
    }
    *error = QStringLiteral(
                 "bad prologix bus \"%1\" (expected prologix:tcp:HOST[:PORT] or "
                 "prologix:serial:DEVICE)")
                 .arg(rest);
    return nullptr;
}

}  // namespace

PrologixBackend::PrologixBackend(std::unique_ptr<PrologixTransport> transport)
    : transport_(std::move(transport)) {}

std::unique_ptr<bus::GpibBackend> PrologixBackend::fromUri(const QString& rest, QString* error) {
    auto transport = transportFor(rest, error);
    if (!transport) {
        return nullptr;
    }
    auto backend = std::make_unique<PrologixBackend>(std::move(transport));
    if (!backend->open(error)) {
        return nullptr;
    }
    return backend;
}

bool PrologixBackend::open(QString* error) {
    controllerAddress_ = -1;
    controllerTimeoutMs_ = -1;
    if (!transport_->open(error)) {
        return false;
    }
    const QByteArray setup =
        "++mode 1\n++auto 0\n++eoi 1\n++eos 3\n" + readTimeoutLine(timeoutMs_) + "++ver\n";
    QByteArray line;
    if (request(setup)) {
        while (transport_->readLine(&line, kVersionWaitMs, kOverallWaits * kVersionWaitMs) ==
               PrologixTransport::Read::Line) {
            line = withoutLineEnd(line);
            if (!line.isEmpty()) {
                version_ = line;
                return true;
            }
        }
    }
    *error = QStringLiteral("the controller at %1 does not answer \"++ver\"")
                 .arg(transport_->description());
    transport_->close();  // a link to something unknown is no link
    return false;
}

int PrologixBackend::boardPresent() {
    return reopenIfLost() ? 1 : 0;
}

int PrologixBackend::initialize(int, int) {
    // Interface clear makes the controller the one in charge of the bus.
    return request("++ifc\n") ? 0 : kLinkLost;
}

int PrologixBackend::setTimeout(std::uint32_t timeout) {
    timeoutMs_ = static_cast<int>(std::clamp<std::uint32_t>(timeout, 1, 3000));
    return reopenIfLost() ? 0 : kLinkLost;
}

int PrologixBackend::listenerPresent(int address) {
    if (!validAddress(address)) {
        return 0;
    }
    // The controller has no listener check. An instrument answers a serial poll with its
    // status byte at once; an empty address gives nothing. "++ver" follows the poll so
    // that its answer marks the end of whatever the poll produced, however late it comes.
    if (!request(addressLine(address) + readTimeoutLine(kListenerPollMs) + "++spoll\n++ver\n")) {
        return 0;
    }
    bool answered = false;
    QByteArray line;
    // A poll gives one status byte; a peer that keeps sending them is no controller of ours.
    for (int lines = 0; lines < kMostPollLines &&
                        transport_->readLine(&line, replyWaitMs(), kOverallWaits * replyWaitMs()) ==
                            PrologixTransport::Read::Line;
         ++lines) {
        line = withoutLineEnd(line);
        if (!isStatusByte(line)) {
            return answered ? 1 : 0;
        }
        answered = true;
    }
    return 0;
}

void PrologixBackend::send(int address, const char* command, int length, int* status) {
    if (!validAddress(address)) {
        *status = kBadAddress;
        return;
    }
    const QByteArray data(command, length);
    *status = request(addressLine(address) + prologixEscape(data) + '\n') ? 0 : kLinkLost;
}

void PrologixBackend::enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count,
                            int address, int* status) {
    *count = 0;
    if (!validAddress(address)) {
        *status = kBadAddress;
        return;
    }
    if (!request(addressLine(address) + readTimeoutLine(timeoutMs_) + "++read eoi\n")) {
        *status = kLinkLost;
        return;
    }
    QByteArray line;
    switch (transport_->readLine(&line, replyWaitMs(), kOverallWaits * replyWaitMs())) {
        case PrologixTransport::Read::Line: {
            const QByteArray reply = withoutLineEnd(line).left(maxLength);
            std::memcpy(buffer, reply.constData(), static_cast<std::size_t>(reply.size()));
            buffer[reply.size()] = '\0';
            *count = static_cast<std::uint16_t>(reply.size());
            *status = 0;
            return;
        }
        case PrologixTransport::Read::TimedOut:
        case PrologixTransport::Read::TooLong:
            // The reply that never ended may still be arriving: the next request drops it.
            *status = kTimedOut;
            return;
        case PrologixTransport::Read::LinkLost:
            *status = kLinkLost;
            return;
    }
}

bool PrologixBackend::reopenIfLost() {
    if (transport_->linkUp()) {
        return true;
    }
    QString ignored;
    return open(&ignored);
}

bool PrologixBackend::request(const QByteArray& lines) {
    if (!transport_->linkUp()) {
        return false;
    }
    // Whatever is waiting now answers nothing we are about to ask.
    transport_->discardInput();
    return transport_->write(lines, timeoutMs_ + kReplySlackMs);
}

QByteArray PrologixBackend::addressLine(int address) {
    if (address == controllerAddress_) {
        return {};
    }
    controllerAddress_ = address;
    return "++addr " + QByteArray::number(address) + '\n';
}

QByteArray PrologixBackend::readTimeoutLine(int milliseconds) {
    if (milliseconds == controllerTimeoutMs_) {
        return {};
    }
    controllerTimeoutMs_ = milliseconds;
    return "++read_tmo_ms " + QByteArray::number(milliseconds) + '\n';
}

int PrologixBackend::replyWaitMs() const {
    return timeoutMs_ + kReplySlackMs;
}

}  // namespace tarvix::buses
