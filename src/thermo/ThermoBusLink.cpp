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

void ThermoBusLink::sendAll(int address, std::initializer_list<std::string_view> commands) {
    for (const std::string_view command : commands) {
        bus_.send(address, command);
    }
}

QByteArray ThermoBusLink::readReply(int address, int maxLength) {
    bus_.enter(gpibReply_, maxLength, address);
    return bus::GpibBus::replyText(gpibReply_);
}

double ThermoBusLink::readNumber(int address, int maxLength) {
    return text::parseReply(view(readReply(address, maxLength))).value_or(kMissing);
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
