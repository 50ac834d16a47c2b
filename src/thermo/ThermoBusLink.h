#pragma once

#include <QByteArray>
#include <initializer_list>
#include <string_view>

#include "bus/GpibBus.h"

namespace tarvix::thermo {

// Bus addresses of the four-probe bench.
inline constexpr int kLcrMeterAddress = 4;
inline constexpr int kSourceUnitAddress = 24;
inline constexpr int kMultimeterAddress = 16;

// Maximum reply lengths: every reading, and the LCR meter's replies.
inline constexpr int kReadingLength = 70;
inline constexpr int kLcrReplyLength = 160;

// The four-probe procedures' road to the bus: commands, and readings through one reply buffer.
class ThermoBusLink {
  public:
    explicit ThermoBusLink(bus::GpibBus& bus) : bus_(bus) {}

    void setTimeout() { bus_.setTimeout(1000); }
    void send(int address, std::string_view command) { bus_.send(address, command); }
    void send(int address, const char* command) { bus_.send(address, command); }
    void send(int address, const QByteArray& command) {
        bus_.send(address, std::string_view(command.constData(), command.size()));
    }
    void sendAll(int address, std::initializer_list<std::string_view> commands);

    // Reads a reply and returns its text up to the NUL.
    QByteArray readReply(int address, int maxLength);
    // Reads a reply holding one number; spaces only read as 0, anything that is not a
    // number as NaN (missing).
    double readNumber(int address, int maxLength = kReadingLength);

    int gpibStatus() const { return bus_.gpibStatus(); }

  private:
    bus::GpibBus& bus_;
    QByteArray gpibReply_;
};

// The resistance in an LCR meter's FETC? reply: the field between the first two tabs. NaN
// when the reply has fewer than two tabs or the field is not a number.
double resistanceFromFetchReply(const QByteArray& reply);

}  // namespace tarvix::thermo
