// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/BusTranscript.h"

#include <cstring>

namespace tarvix::bus {

bool BusTranscript::openFile(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        return false;
    }
    file_ = std::move(file);
    return true;
}

void BusTranscript::add(const QString& line) {
    if (keepInMemory_) {
        lines_.append(line);
    }
    if (file_) {
        file_->write(line.toLatin1());
        file_->write("\n");
        file_->flush();
    }
}

TranscriptBackend::TranscriptBackend(std::unique_ptr<GpibBackend> inner, BusTranscript& transcript)
    : inner_(std::move(inner)), transcript_(transcript) {}

int TranscriptBackend::boardPresent() {
    const int result = inner_->boardPresent();
    transcript_.add(QStringLiteral("board-present %1").arg(result));
    return result;
}

int TranscriptBackend::initialize(int first, int second) {
    transcript_.add(QStringLiteral("initialize"));
    return inner_->initialize(first, second);
}

int TranscriptBackend::setTimeout(std::uint32_t timeout) {
    transcript_.add(QStringLiteral("timeout %1").arg(timeout));
    return inner_->setTimeout(timeout);
}

int TranscriptBackend::listenerPresent(int address) {
    const int result = inner_->listenerPresent(address);
    transcript_.add(QStringLiteral("listen %1 %2").arg(address).arg(result));
    return result;
}

void TranscriptBackend::send(int address, const char* command, int length, int* status) {
    inner_->send(address, command, length, status);
    transcript_.add(QStringLiteral("send %1 %2 %3")
                        .arg(address)
                        .arg(*status)
                        .arg(QString::fromLatin1(command, length)));
}

void TranscriptBackend::enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count,
                              int address, int* status) {
    inner_->enter(buffer, maxLength, count, address, status);
    const char* end = static_cast<const char*>(std::memchr(buffer, '\0', maxLength + 1));
    const int length = end ? static_cast<int>(end - buffer) : static_cast<int>(maxLength);
    transcript_.add(QStringLiteral("enter %1 %2 %3 %4")
                        .arg(address)
                        .arg(maxLength)
                        .arg(*status)
                        .arg(QString::fromLatin1(buffer, length)));
}

}  // namespace tarvix::bus
