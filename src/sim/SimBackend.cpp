#include "sim/SimBackend.h"

#include <cstring>
#include <map>
#include <string>

namespace tarvix::sim {

namespace {

// Placeholder bench: identification only.
class MinimalSimBackend : public bus::GpibBackend {
public:
    MinimalSimBackend() {
        idn_[24] = "KEITHLEY INSTRUMENTS INC.,MODEL 2400,1248014,C30   Mar 17 2006 09:29:29/A02  /K/J";
        idn_[14] = "KEITHLEY INSTRUMENTS INC.,MODEL 6485,1008553,B03   Sep 25 2002 10:53:29/A02  /E";
    }
    int boardPresent() override { return 1; }
    int initialize(int, int) override { return 0; }
    int setTimeout(std::uint32_t) override { return 0; }
    int listenerPresent(int address) override { return idn_.count(address) ? 1 : 0; }
    void send(int address, const char* command, int length, int* status) override {
        *status = idn_.count(address) ? 0 : 1;
        if (std::string(command, static_cast<size_t>(length)) == "*IDN?") {
            pending_[address] = idn_[address];
        }
    }
    void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
               int* status) override {
        const std::string reply = pending_[address].substr(0, maxLength);
        pending_.erase(address);
        std::memcpy(buffer, reply.data(), reply.size());
        buffer[reply.size()] = '\0';
        *count = static_cast<std::uint16_t>(reply.size());
        *status = 0;
    }

private:
    std::map<int, std::string> idn_;
    std::map<int, std::string> pending_;
};

}  // namespace

std::unique_ptr<bus::GpibBackend> createSimBackend(const QString& options, QString* error) {
    (void)options;
    (void)error;
    return std::make_unique<MinimalSimBackend>();
}

}  // namespace tarvix::sim
