// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/LinuxGpibBackend.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <array>
#include <cstring>

#include "buses/DeviceAccess.h"

namespace tarvix::buses {

namespace {

constexpr int kNoSecondaryAddress = 0;
constexpr int kEdvr = 0;
constexpr int kNoEos = 0;
constexpr int kSendEoi = 1;
// A reply longer than any instrument of ours sends, or one still arriving this many time-outs
// after the read began, fails the exchange rather than holding the program for ever.
constexpr qsizetype kReplyLimit = 65536;
constexpr long long kOverallTimeouts = 3;

// The longest time of each time-out class in microseconds, T10us (1) to T1000s (17).
constexpr std::array<long long, 17> kClassMicroseconds = {
    10,     30,      100,     300,      1000,     3000,      10000,     30000,     100000,
    300000, 1000000, 3000000, 10000000, 30000000, 100000000, 300000000, 1000000000};

QString errorName(int code) {
    static const std::map<int, const char*> names = {
        {0, "EDVR"},  {1, "ECIC"},  {2, "ENOL"},  {3, "EADR"},  {4, "EARG"},  {5, "ESAC"},
        {6, "EABO"},  {7, "ENEB"},  {8, "EDMA"},  {10, "EOIP"}, {11, "ECAP"}, {12, "EFSO"},
        {14, "EBUS"}, {15, "ESTB"}, {16, "ESRQ"}, {20, "ETAB"}};
    const auto found = names.find(code);
    return found == names.end() ? QString::number(code) : QString::fromLatin1(found->second);
}

}  // namespace

LinuxGpibBackend::LinuxGpibBackend(int board, const QString& libraryPath)
    : library_(std::make_unique<LinuxGpibLibrary>(
          libraryPath.isEmpty() ? LinuxGpibLibrary::defaultPath() : libraryPath)),
      board_(board) {}

LinuxGpibBackend::~LinuxGpibBackend() {
    if (library_->loaded() && library_->ibonl) {
        for (const auto& [address, ud] : descriptors_) {
            library_->ibonl(ud, 0);
        }
    }
}

std::unique_ptr<bus::GpibBackend> LinuxGpibBackend::fromUri(const QString& rest, QString* error) {
    bool valid = true;
    const int board = rest.isEmpty() ? 0 : rest.toInt(&valid);
    if (!valid || board < 0 || board > 15) {
        *error = QStringLiteral("bad GPIB board \"%1\" (expected linux-gpib[:BOARD], 0 to 15)")
                     .arg(rest);
        return nullptr;
    }
    return std::make_unique<LinuxGpibBackend>(board);
}

QString LinuxGpibBackend::startupWarning() const {
    return library_->loaded() ? boardProblem() : library_->loadError();
}

QString LinuxGpibBackend::boardProblem() const {
    if (!library_->ibask) {
        return {};  // nothing to ask the board with; the first exchange will tell
    }
    int value = 0;
    library_->ibask(board_, LinuxGpibLibrary::kIbaPad, &value);
    const LinuxGpibLibrary::Status status = library_->status();
    if ((status.sta & LinuxGpibLibrary::kErr) == 0) {
        return {};
    }
    // A failed system call (EDVR) leaves its errno in the count.
    if (status.err == kEdvr && isPermissionError(status.cnt)) {
        return QStringLiteral("GPIB board %1 cannot be opened (/dev/gpib%1: permission denied): %2")
            .arg(board_)
            .arg(permissionAdvice(GuardedDevice::GpibBoard));
    }
    return QStringLiteral("GPIB board %1 does not answer (%2); see the linux-gpib configuration")
        .arg(board_)
        .arg(errorName(status.err));
}

int LinuxGpibBackend::boardPresent() {
    return startupWarning().isEmpty() ? 1 : 0;
}

int LinuxGpibBackend::initialize(int, int) {
    if (!library_->loaded()) {
        return kNoLibrary;
    }
    // Interface clear and remote enable: we are the controller in charge.
    if (library_->ibsic && (library_->ibsic(board_) & LinuxGpibLibrary::kErr)) {
        return lastFailure();
    }
    if (library_->ibsre && (library_->ibsre(board_, 1) & LinuxGpibLibrary::kErr)) {
        return lastFailure();
    }
    return 0;
}

int LinuxGpibBackend::timeoutClass(std::uint32_t milliseconds) {
    const long long wanted = std::max<long long>(milliseconds, 1) * 1000;
    for (std::size_t index = 0; index < kClassMicroseconds.size(); ++index) {
        if (kClassMicroseconds[index] >= wanted) {
            return static_cast<int>(index) + 1;
        }
    }
    return static_cast<int>(kClassMicroseconds.size());
}

int LinuxGpibBackend::setTimeout(std::uint32_t timeout) {
    if (!library_->loaded()) {
        return kNoLibrary;
    }
    const int wanted = timeoutClass(timeout);
    if (wanted == timeoutClass_) {
        return 0;
    }
    timeoutClass_ = wanted;
    int result = 0;
    for (const auto& [address, ud] : descriptors_) {
        if (library_->ibtmo(ud, timeoutClass_) & LinuxGpibLibrary::kErr) {
            result = lastFailure();
        }
    }
    return result;
}

int LinuxGpibBackend::listenerPresent(int address) {
    if (!library_->loaded()) {
        return 0;
    }
    short found = 0;
    if (library_->ibln(board_, address, kNoSecondaryAddress, &found) & LinuxGpibLibrary::kErr) {
        return 0;
    }
    return found != 0 ? 1 : 0;
}

void LinuxGpibBackend::send(int address, const char* command, int length, int* status) {
    const int ud = descriptor(address, status);
    if (ud < 0) {
        return;
    }
    const int sta = library_->ibwrt(ud, command, length);
    *status = (sta & LinuxGpibLibrary::kErr) ? lastFailure() : 0;
}

void LinuxGpibBackend::enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count,
                             int address, int* status) {
    *count = 0;
    const int ud = descriptor(address, status);
    if (ud < 0) {
        return;
    }
    QByteArray received;
    std::array<char, 512> chunk{};
    const QDeadlineTimer deadline(
        kOverallTimeouts * kClassMicroseconds[static_cast<std::size_t>(timeoutClass_ - 1)] / 1000);
    for (;;) {
        const int sta = library_->ibrd(ud, chunk.data(), static_cast<long>(chunk.size()));
        const LinuxGpibLibrary::Status after = library_->status();
        if (sta & LinuxGpibLibrary::kErr) {
            *status = lastFailure();
            return;  // the caller's buffer keeps its spaces
        }
        const int got = std::clamp(after.cnt, 0, static_cast<int>(chunk.size()));
        received.append(chunk.data(), got);
        // A read that neither ends nor moves data would loop for ever.
        if ((sta & LinuxGpibLibrary::kEnd) || got == 0) {
            break;
        }
        if (received.size() >= kReplyLimit || deadline.hasExpired()) {
            *status = kReplyNeverEnded;
            return;
        }
    }
    while (received.endsWith('\n') || received.endsWith('\r')) {
        received.chop(1);
    }
    received.truncate(maxLength);
    std::memcpy(buffer, received.constData(), static_cast<std::size_t>(received.size()));
    buffer[received.size()] = '\0';
    *count = static_cast<std::uint16_t>(received.size());
    *status = 0;
}

int LinuxGpibBackend::descriptor(int address, int* status) {
    if (!library_->loaded()) {
        *status = kNoLibrary;
        return -1;
    }
    const auto found = descriptors_.find(address);
    if (found != descriptors_.end()) {
        return found->second;
    }
    const int ud =
        library_->ibdev(board_, address, kNoSecondaryAddress, timeoutClass_, kSendEoi, kNoEos);
    if (ud < 0) {
        *status = lastFailure();
        return -1;
    }
    descriptors_.emplace(address, ud);
    return ud;
}

int LinuxGpibBackend::lastFailure() const {
    const LinuxGpibLibrary::Status status = library_->status();
    return ((status.err & 0x7FFF) << 16) | (status.sta & 0xFFFF) | LinuxGpibLibrary::kErr;
}

}  // namespace tarvix::buses
