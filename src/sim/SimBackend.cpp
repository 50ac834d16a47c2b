// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimBackend.h"

#include <cstring>
#include <string>

namespace tarvix::sim {

SimBackend::SimBackend(std::unique_ptr<SimBench> bench) : bench_(std::move(bench)) {}

int SimBackend::listenerPresent(int address) {
    return bench_->listenerPresent(address) ? 1 : 0;
}

void SimBackend::send(int address, const char* command, int length, int* status) {
    const std::size_t size = command && length > 0 ? static_cast<std::size_t>(length) : 0;
    *status = bench_->send(address, std::string_view(command ? command : "", size));
}

void SimBackend::enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
                       int* status) {
    std::string reply;
    *status = bench_->enter(address, maxLength, &reply);
    // The caller's buffer holds maxLength characters and the NUL: a longer reply fails the
    // exchange rather than run past it.
    if (*status == 0 && reply.size() > maxLength) {
        *status = SimBench::kTimedOut;
        reply.clear();
    }
    *count = static_cast<std::uint16_t>(reply.size());
    if (*status == 0) {
        std::memcpy(buffer, reply.data(), reply.size());
        buffer[reply.size()] = '\0';
    }
}

std::unique_ptr<bus::GpibBackend> createSimBackend(const QString& options, QString* error) {
    auto bench = SimBench::create(options, error);
    if (!bench) {
        return nullptr;
    }
    return std::make_unique<SimBackend>(std::move(bench));
}

}  // namespace tarvix::sim
