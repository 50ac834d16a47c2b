// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/ThermoBusLink.h"

#include <limits>

#include "text/DecimalParse.h"

namespace tarvix::thermo {

namespace {
constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

std::string_view view(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
}  // namespace

bool ThermoBusLink::send(int address, std::string_view command) {
    bus_.send(address, command);
    lastQuery_ = QByteArray(command.data(), static_cast<qsizetype>(command.size()));
    if (bus_.gpibStatus() != 0) {
        noteFault(address, command);
        return false;
    }
    return true;
}

bool ThermoBusLink::sendAll(int address, std::initializer_list<std::string_view> commands) {
    for (const std::string_view command : commands) {
        if (!send(address, command)) {
            return false;
        }
    }
    return true;
}

QByteArray ThermoBusLink::readReply(int address, int maxLength) {
    bus_.enter(gpibReply_, maxLength, address);
    if (bus_.gpibStatus() != 0) {
        noteFault(address, view(lastQuery_));
    }
    return bus::GpibBus::replyText(gpibReply_);
}

double ThermoBusLink::readNumber(int address, int maxLength) {
    const QByteArray reply = readReply(address, maxLength);
    if (bus_.gpibStatus() != 0) {
        return kMissing;
    }
    return text::parseReply(view(reply)).value_or(kMissing);
}

void ThermoBusLink::noteFault(int address, std::string_view command) {
    if (!fault_) {
        fault_ = bus::ExchangeFault{
            address, QString::fromLatin1(command.data(), static_cast<qsizetype>(command.size())),
            bus_.gpibStatus()};
    }
}

double resistanceFromFetchReply(const QByteArray& reply) {
    const qsizetype first = reply.indexOf('\t');
    const qsizetype second = first < 0 ? -1 : reply.indexOf('\t', first + 1);
    if (second < 0) {
        return kMissing;
    }
    const QByteArray field = reply.mid(first + 1, second - first - 1);
    return text::parseDecimal(view(field)).value_or(kMissing);
}

}  // namespace tarvix::thermo
