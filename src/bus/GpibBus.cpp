// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/GpibBus.h"

#include <string>

namespace tarvix::bus {

int replyBufferLength(int maxLength) {
    return 10 * (maxLength / 10 + 2);
}

GpibBus::GpibBus(std::unique_ptr<GpibBackend> backend) : backend_(std::move(backend)) {}

bool GpibBus::boardPresent() {
    return (backend_->boardPresent() & 0xFF) == 1;
}

void GpibBus::initialize(int first, int second) {
    backend_->initialize(first, second);
}

void GpibBus::setTimeout(int timeout) {
    backend_->setTimeout(static_cast<std::uint32_t>(static_cast<std::uint16_t>(timeout)));
}

bool GpibBus::listenerPresent(int address) {
    return (backend_->listenerPresent(address) & 0xFF) != 0;
}

void GpibBus::send(int address, std::string_view command) {
    const std::string copy(command);
    backend_->send(address, copy.c_str(), static_cast<int>(copy.size()), &status_);
}

void GpibBus::enter(QByteArray& buffer, int maxLength, int address) {
    buffer = QByteArray(replyBufferLength(maxLength), ' ');
    backend_->enter(buffer.data(),
                    static_cast<std::uint32_t>(static_cast<std::uint16_t>(maxLength)), &received_,
                    address, &status_);
}

QByteArray GpibBus::replyText(const QByteArray& buffer) {
    const qsizetype end = buffer.indexOf('\0');
    return end < 0 ? buffer : buffer.left(end);
}

}  // namespace tarvix::bus
