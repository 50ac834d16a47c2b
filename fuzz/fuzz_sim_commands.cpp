#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "bus/GpibBus.h"
#include "sim/SimBackend.h"

// Arbitrary program messages, one per line, go to every instrument of a SCPI bench and of a
// TSP bench (the SCPI parser, the TSP line parser and the common commands); after each, a
// reply is read with a maximum length taken from the input. Nothing may crash, and a reply
// must fit the buffer the bus hands the library.
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
            }
        }
        start = end + 1;
    }
    return 0;
}
