// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <map>
#include <memory>

#include "bus/GpibBackend.h"
#include "buses/LinuxGpibLibrary.h"
#include "buses/StartupWarning.h"

namespace tarvix::buses {

// The bus through a board of the linux-gpib project ("linux-gpib[:BOARD]", board 0 by
// default). One device descriptor per address, opened on first use and kept; writes end
// with EOI on the last byte; reads run to END. A failed send or enter reports the
// library's status word with its error code in the upper half: (iberr << 16) | ibsta.
class LinuxGpibBackend : public bus::GpibBackend, public StartupWarning {
  public:
    // Status when the library cannot be used at all.
    static constexpr int kNoLibrary = LinuxGpibLibrary::kErr;
    // Status of a reply that grew past any instrument's length or outlasted its deadline:
    // ERR and TIMO, as the library reports a time-out.
    static constexpr int kReplyNeverEnded = LinuxGpibLibrary::kErr | LinuxGpibLibrary::kTimo;
    // linux-gpib's time-out classes run from TNONE (0) through T1000s (17); T1s is 11.
    static constexpr int kT1s = 11;

    // An empty `libraryPath` means LinuxGpibLibrary::defaultPath().
    explicit LinuxGpibBackend(int board = 0, const QString& libraryPath = {});
    ~LinuxGpibBackend() override;

    // The text after "linux-gpib:" (may be empty): the board index.
    static std::unique_ptr<bus::GpibBackend> fromUri(const QString& rest, QString* error);

    QString startupWarning() const override;

    int boardPresent() override;
    int initialize(int first, int second) override;
    // In milliseconds, rounded up to the library's next time-out class (1000 gives T1s).
    int setTimeout(std::uint32_t timeout) override;
    int listenerPresent(int address) override;
    void send(int address, const char* command, int length, int* status) override;
    void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
               int* status) override;

    // The library's time-out class for a time-out in milliseconds.
    static int timeoutClass(std::uint32_t milliseconds);

  private:
    // The descriptor of `address`, or -1 with `status` set.
    int descriptor(int address, int* status);
    int lastFailure() const;
    QString boardProblem() const;

    std::unique_ptr<LinuxGpibLibrary> library_;
    int board_;
    int timeoutClass_ = kT1s;
    std::map<int, int> descriptors_;
};

}  // namespace tarvix::buses
