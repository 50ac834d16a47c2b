// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "bus/GpibBus.h"
#include "bus/ReadingFaults.h"

namespace tarvix::thermo {

// Bus addresses of the four-probe bench.
inline constexpr int kLcrMeterAddress = 4;
inline constexpr int kSourceUnitAddress = 24;
inline constexpr int kMultimeterAddress = 16;

// Maximum reply lengths: every reading, and the LCR meter's replies.
inline constexpr int kReadingLength = 70;
inline constexpr int kLcrReplyLength = 160;

// The four-probe procedures' road to the bus: commands, and readings through one reply buffer.
// The first exchange that fails since `beginReading` is kept, so that a procedure decides in
// one place what a failure means (a set-up refused, a reading missing).
class ThermoBusLink {
  public:
    explicit ThermoBusLink(bus::GpibBus& bus) : bus_(bus) {}

    void setTimeout() { bus_.setTimeout(1000); }
    // Each returns true when the exchange succeeded.
    bool send(int address, std::string_view command);
    bool send(int address, const char* command) { return send(address, std::string_view(command)); }
    bool send(int address, const QByteArray& command) {
        return send(address, std::string_view(command.constData(), command.size()));
    }
    // Stops at the first command that fails.
    bool sendAll(int address, std::initializer_list<std::string_view> commands);

    // Reads a reply and returns its text up to the NUL.
    QByteArray readReply(int address, int maxLength);
    // Reads a reply holding one number; spaces only read as 0, anything that is not a
    // number as NaN (missing), and so does any reading whose exchanges failed.
    double readNumber(int address, int maxLength = kReadingLength);

    void beginReading() { fault_.reset(); }
    const std::optional<bus::ExchangeFault>& fault() const { return fault_; }
    int gpibStatus() const { return bus_.gpibStatus(); }

  private:
    void noteFault(int address, std::string_view command);

    bus::GpibBus& bus_;
    QByteArray gpibReply_;
    QByteArray lastQuery_;  // what the next reply answers, for messages
    std::optional<bus::ExchangeFault> fault_;
};

// The resistance in an LCR meter's FETC? reply: the field between the first two tabs. NaN
// when the reply has fewer than two tabs or the field is not a number.
double resistanceFromFetchReply(const QByteArray& reply);

}  // namespace tarvix::thermo
