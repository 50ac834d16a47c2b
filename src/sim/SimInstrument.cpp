// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimInstrument.h"

namespace tarvix::sim {

void SimInstrument::write(std::string_view message) {
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.remove_suffix(1);
    }
    execute(message);
    settleServiceRequest();
}

void SimInstrument::deviceClear() {
    discardReplies();
    settleServiceRequest();
}

void SimInstrument::settleServiceRequest() {
    if ((statusByte() & kServiceBit) == 0) {
        serviceAcknowledged_ = false;
    }
}

std::optional<std::string> SimInstrument::read(std::size_t maxLength) {
    if (replies_.empty()) {
        return std::nullopt;
    }
    std::string& front = replies_.front();
    if (front.size() <= maxLength) {
        std::string reply = std::move(front);
        replies_.pop_front();
        settleServiceRequest();
        return reply;
    }
    std::string part = front.substr(0, maxLength);
    front.erase(0, maxLength);
    return part;
}

bool SimInstrument::requestingService() {
    settleServiceRequest();
    return (statusByte() & kServiceBit) != 0 && !serviceAcknowledged_;
}

int SimInstrument::serialPoll() {
    const bool request = requestingService();
    serviceAcknowledged_ = (statusByte() & kServiceBit) != 0;
    return (statusByte() & ~kServiceBit) | (request ? kServiceBit : 0);
}

void SimInstrument::queueReply(std::string reply) {
    if (replies_.size() >= kReplyCapacity) {
        replies_.pop_front();
    }
    replies_.push_back(std::move(reply));
}

}  // namespace tarvix::sim
