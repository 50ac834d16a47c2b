// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>

#include "bus/BusTranscript.h"
#include "bus/GpibBus.h"
#include "buses/createBus.h"
#include "sim/SimBackend.h"

namespace tarvix::sim::testing {

// The simulated bench reached the way the program reaches it: through createBus and
// GpibBus, optionally with an injected clock.
class SimBus {
  public:
    explicit SimBus(const QString& options = "noise=0,latency=0") {
        QString error;
        gpib_ = buses::createBus("sim:" + options, &error, &transcript_);
        if (!gpib_) {
            throw std::runtime_error(error.toStdString());
        }
    }
    SimBus(const QString& options, SimClock clock) {
        QString error;
        auto bench = SimBench::create(options, &error, std::move(clock));
        if (!bench) {
            throw std::runtime_error(error.toStdString());
        }
        gpib_ = std::make_unique<bus::GpibBus>(std::make_unique<SimBackend>(std::move(bench)));
    }

    void send(int address, std::string_view command) { gpib_->send(address, command); }
    // Reads into a fresh buffer and returns the text up to its NUL.
    std::string read(int address, int maxLength = 70) {
        gpib_->enter(buffer_, maxLength, address);
        return bus::GpibBus::replyText(buffer_).toStdString();
    }
    std::string query(int address, std::string_view command, int maxLength = 70) {
        send(address, command);
        return read(address, maxLength);
    }
    // Sends each line of a set-up sequence.
    void sendAll(int address, std::initializer_list<std::string_view> commands) {
        for (const std::string_view command : commands) {
            send(address, command);
        }
    }

    int status() const { return gpib_->gpibStatus(); }
    bus::GpibBus& gpib() { return *gpib_; }
    const QByteArray& buffer() const { return buffer_; }
    const bus::BusTranscript& transcript() const { return transcript_; }

  private:
    bus::BusTranscript transcript_;
    std::unique_ptr<bus::GpibBus> gpib_;
    QByteArray buffer_;
};

}  // namespace tarvix::sim::testing
