// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "bus/BusTranscript.h"
#include "bus/GpibBackend.h"
#include "bus/GpibBus.h"

namespace tarvix::thermo::fakes {

// A scripted bench: each address answers a read from its queue first, then by the last
// FUNC command it was sent (so the multimeter answers volts or kelvin), then with its
// standing reply; an address with nothing to say returns nothing (spaces only).
class ScriptedBench : public bus::GpibBackend {
  public:
    std::map<int, std::deque<std::string>> queued;
    std::map<std::pair<int, std::string>, std::string> byFunction;
    std::map<int, std::string> standing;
    std::map<int, int> enterStatus;                   // status of every read from an address
    std::map<int, std::deque<int>> enterStatusQueue;  // statuses of the next reads, first
    std::map<int, int> sendStatus;                    // status of every send to an address
    std::set<std::string> failingCommands;            // commands whose send fails anywhere
    int failEntersAfter = -1;                         // reads that succeed before every read fails
    int enters = 0;

    int boardPresent() override { return 1; }
    int initialize(int, int) override { return 0; }
    int setTimeout(std::uint32_t) override { return 0; }
    int listenerPresent(int) override { return 1; }
    void send(int address, const char* command, int length, int* status) override {
        const std::string text(command, static_cast<std::size_t>(length));
        if (text.rfind("FUNC", 0) == 0) {
            function_[address] = text;
        }
        *status = sendStatus.count(address) ? sendStatus[address] : 0;
        if (failingCommands.count(text)) {
            *status = 0x8000;
        }
    }
    void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
               int* status) override {
        ++enters;
        std::string reply = nextReply(address);
        reply.resize(std::min<std::size_t>(reply.size(), maxLength));
        std::memcpy(buffer, reply.data(), reply.size());
        buffer[reply.size()] = '\0';
        *count = static_cast<std::uint16_t>(reply.size());
        *status = enterStatus.count(address) ? enterStatus[address] : 0;
        if (auto& queue = enterStatusQueue[address]; !queue.empty()) {
            *status = queue.front();
            queue.pop_front();
        }
        if (failEntersAfter >= 0 && enters > failEntersAfter) {
            *status = 0x8000;
        }
    }

  private:
    std::string nextReply(int address) {
        auto& queue = queued[address];
        if (!queue.empty()) {
            std::string reply = queue.front();
            queue.pop_front();
            return reply;
        }
        const auto function = byFunction.find({address, function_[address]});
        if (function != byFunction.end()) {
            return function->second;
        }
        return standing.count(address) ? standing[address] : std::string();
    }

    std::map<int, std::string> function_;
};

// The bench behind a real GpibBus, with the transcript of every call.
struct BenchBus {
    BenchBus() {
        auto owned = std::make_unique<ScriptedBench>();
        bench = owned.get();
        bus = std::make_unique<bus::GpibBus>(
            std::make_unique<bus::TranscriptBackend>(std::move(owned), transcript));
    }
    // A multimeter reading `volts` on the thermocouple and `kelvin` as the reference.
    void setMultimeter(const std::string& volts, const std::string& kelvin) {
        bench->byFunction[{16, "FUNC \"VOLT:DC\""}] = volts;
        bench->byFunction[{16, "FUNC \"TEMP\""}] = kelvin;
    }
    QStringList sends() const {
        QStringList result;
        for (const QString& line : transcript.lines()) {
            if (line.startsWith(QLatin1String("send "))) {
                result.append(line);
            }
        }
        return result;
    }

    bus::BusTranscript transcript;
    ScriptedBench* bench = nullptr;
    std::unique_ptr<bus::GpibBus> bus;
};

}  // namespace tarvix::thermo::fakes
