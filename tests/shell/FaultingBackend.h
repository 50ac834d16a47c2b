// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "bus/GpibBackend.h"

namespace tarvix::shell::testing {

enum class Fault { Send, Enter, Garble };

// Passes every call on to the simulated bench, except that from the `from`-th exchange of the
// armed kind at the armed address on, each such exchange fails (status 3) or, for Garble,
// answers "abc".
class FaultingBackend : public bus::GpibBackend {
  public:
    explicit FaultingBackend(std::unique_ptr<bus::GpibBackend> inner) : inner_(std::move(inner)) {}
    void arm(int address, Fault kind, int from) {
        address_ = address;
        kind_ = kind;
        from_ = from;
    }
    int boardPresent() override { return inner_->boardPresent(); }
    int initialize(int first, int second) override { return inner_->initialize(first, second); }
    int setTimeout(std::uint32_t timeout) override { return inner_->setTimeout(timeout); }
    int listenerPresent(int address) override { return inner_->listenerPresent(address); }
    void send(int address, const char* command, int length, int* status) override {
        inner_->send(address, command, length, status);
        if (hits(address, Fault::Send)) {
            *status = 3;
        }
    }
    void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
               int* status) override {
        inner_->enter(buffer, maxLength, count, address, status);
        if (hits(address, Fault::Enter)) {
            *status = 3;
        } else if (hits(address, Fault::Garble)) {
            std::memcpy(buffer, "abc", 4);
        }
    }

  private:
    bool hits(int address, Fault kind) {
        return address == address_ && kind == kind_ && ++seen_ >= from_;
    }
    std::unique_ptr<bus::GpibBackend> inner_;
    int address_ = 0;
    Fault kind_ = Fault::Send;
    int from_ = 0;
    int seen_ = 0;
};

}  // namespace tarvix::shell::testing
