// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "bus/GpibBackend.h"
#include "buses/PrologixTransport.h"

namespace tarvix::buses {

// The bus through a Prologix-style GPIB controller ("prologix:tcp:HOST[:PORT]",
// "prologix:serial:DEVICE"). The controller is set up once: controller mode, no automatic
// read, EOI with the last byte and no added terminator (the program's commands carry no
// line end), and our read time-out. Replies are read with "++read eoi" and end at the
// instrument's LF.
class PrologixBackend : public bus::GpibBackend {
  public:
    // Status of a send or enter that failed.
    static constexpr int kTimedOut = 0xC000;  // ERR and TIMO, as a GPIB library reports it
    static constexpr int kLinkLost = 0x8000;  // ERR alone: the controller is out of reach
    // ERR with EARG above it: an address the controller cannot take (it would keep the
    // previous one and the message would reach the wrong instrument).
    static constexpr int kBadAddress = (4 << 16) | 0x8000;
    // Serial-poll time-out of the listener check; an instrument answers a poll at once.
    static constexpr int kListenerPollMs = 20;

    explicit PrologixBackend(std::unique_ptr<PrologixTransport> transport);

    // The text after "prologix:". Connects and sets the controller up; null and `error`
    // when the string is malformed or the controller cannot be reached.
    static std::unique_ptr<bus::GpibBackend> fromUri(const QString& rest, QString* error);

    // Connects and sets the controller up; false with a reason otherwise.
    bool open(QString* error);
    // The controller's answer to "++ver".
    const QByteArray& controllerVersion() const { return version_; }

    int boardPresent() override;
    int initialize(int first, int second) override;
    // In milliseconds, 1 to 3000 (the controller's range). A lost link is reopened here:
    // every measurement action starts by setting the time-out.
    int setTimeout(std::uint32_t timeout) override;
    int listenerPresent(int address) override;
    void send(int address, const char* command, int length, int* status) override;
    void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
               int* status) override;

  private:
    bool reopenIfLost();
    bool request(const QByteArray& lines);
    QByteArray addressLine(int address);
    QByteArray readTimeoutLine(int milliseconds);
    int replyWaitMs() const;

    std::unique_ptr<PrologixTransport> transport_;
    QByteArray version_;
    int timeoutMs_ = 1000;
    int controllerAddress_ = -1;    // what the controller was last told, -1 unknown
    int controllerTimeoutMs_ = -1;  // likewise for its read time-out
};

}  // namespace tarvix::buses
