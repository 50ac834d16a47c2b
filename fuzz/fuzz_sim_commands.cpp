// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bus/GpibBus.h"
#include "sim/SimBackend.h"
#include "sim/Smu2636.h"

namespace {

// Settings whose numbers take units and multipliers ("10mA", "2 KHZ", "MAX"), and the
// switches and names that decide whether and how a reading is taken: every input line is also
// sent as their parameter, and then a reading and the compliance state are asked for.
constexpr std::pair<int, const char*> kParameterCommands[] = {
    {24, ":SOUR:VOLT:LEV "}, {24, ":SENS:CURR:PROT "},  {24, ":SOUR:DEL "},
    {24, ":TRIG:COUN "},     {24, ":SYST:BEEP "},       {24, ":OUTP "},
    {24, ":SOUR:CLE:AUTO "}, {24, ":FORM:ELEM "},       {14, "CURR:RANG "},
    {14, ":SENS:FUNC "},     {16, "VOLT:AC:DET:BAND "}, {16, "RES:RANG "},
    {16, "UNIT:TEMP "},
};
constexpr std::pair<int, const char*> kStateQueries[] = {
    {24, ":READ?"},
    {24, ":SENS:CURR:PROT:TRIP?;:SENS:VOLT:PROT:TRIP?;:STAT:MEAS:COND?"},
    {14, ":SENS:FUNC?"},
    {16, "READ?"},
};

// The status byte and the bus lines after a message: a poll, a trigger, sometimes a clear.
void touchBusLines(tarvix::sim::SimInstrument& instrument, char selector) {
    instrument.requestingService();
    if ((instrument.serialPoll() & ~0xFF) != 0) {
        __builtin_trap();
    }
    instrument.trigger();
    if (selector & 1) {
        instrument.deviceClear();
    }
}

// The whole input is also one message to a 2636A of its own, with a small instruction budget
// and memory allowance: multi-line scripts, loadscript ... endscript, loops and errors all go
// through its Lua state. Every reply is read back; nothing may hang or crash.
void runAsScript(std::string_view input) {
    QString error;
    static const auto options = tarvix::sim::parseSimOptions("smu=2636A,latency=0,seed=5", &error);
    tarvix::sim::SimEnvironment environment(*options, [] { return 0.0; });
    tarvix::sim::Smu2636 smu(environment, {std::size_t{4} << 20, 200'000});
    for (int pass = 0; pass < 2; ++pass) {
        smu.write(input);
        while (smu.read(4096)) {
        }
        touchBusLines(smu, static_cast<char>(pass));
    }
}

// The input as the options of a bench: a text the parser takes builds a bench whose I-V sample
// draws a finite current at every voltage the SMUs can source, with the cryostat where it starts.
void runAsOptions(std::string_view input) {
    QString error;
    const auto options = tarvix::sim::parseSimOptions(
        QString::fromUtf8(input.data(), static_cast<qsizetype>(input.size())), &error);
    if (!options) {
        return;
    }
    tarvix::sim::SimEnvironment environment(*options, [] { return 0.0; });
    for (const double volts : {-1000.0, -1.0, 0.0, 1e-3, 2.0, 210.0}) {
        if (!std::isfinite(environment.ivSample().current(volts))) {
            __builtin_trap();
        }
    }
}

}  // namespace

// Arbitrary program messages, one per line, go to every instrument of a SCPI bench and of a
// TSP bench (the SCPI parser, the Lua state of the 2636A and the common commands), and as the
// number of settings that take units; after each, a reply is read with a maximum length taken
// from the input and the bus lines are touched. Nothing may crash, a reply must fit the buffer
// the bus hands the library, and a status byte must be a byte. Then the whole input runs as
// one TSP message, and as the options of a bench.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tarvix::sim::SimBackend;
    using tarvix::sim::SimBench;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::unique_ptr<SimBackend>> benches;
    for (const char* options : {"noise=0,latency=0", "smu=2636A,latency=0,seed=3"}) {
        QString error;
        benches.push_back(std::make_unique<SimBackend>(SimBench::create(options, &error)));
    }
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        end = end == std::string_view::npos ? input.size() : end;
        const std::string_view message = input.substr(start, end - start);
        const int maxLength =
            message.empty() ? 70 : 1 + static_cast<std::uint8_t>(message[0]) % 200;
        for (auto& backend : benches) {
            for (const int address : backend->bench().addresses()) {
                int status = 0;
                backend->send(address, message.data(), static_cast<int>(message.size()), &status);
                std::vector<char> buffer(
                    static_cast<std::size_t>(tarvix::bus::replyBufferLength(maxLength)), ' ');
                std::uint16_t count = 0;
                backend->enter(buffer.data(), static_cast<std::uint32_t>(maxLength), &count,
                               address, &status);
                if (count > maxLength || (status == 0 && buffer[count] != '\0')) {
                    __builtin_trap();
                }
                touchBusLines(*backend->bench().instrument(address),
                              message.empty() ? 0 : message.back());
            }
        }
        auto& scpiBench = benches.front()->bench();
        for (const auto& [address, setting] : kParameterCommands) {
            scpiBench.send(address, std::string(setting) + std::string(message));
            std::string reply;
            scpiBench.enter(address, 70, &reply);
        }
        for (const auto& [address, query] : kStateQueries) {
            scpiBench.send(address, query);
            std::string reply;
            scpiBench.enter(address, 4096, &reply);
        }
        start = end + 1;
    }
    runAsScript(input);
    runAsOptions(input);
    return 0;
}
