// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::buses {

// The C library of the linux-gpib project, loaded at run time so that the program builds
// and runs where it is not installed. Function pointers are null when the library or the
// symbol is missing.
class LinuxGpibLibrary {
  public:
    // Bits of the library's status word and the time-out classes we use.
    static constexpr int kErr = 0x8000;
    static constexpr int kTimo = 0x4000;
    static constexpr int kEnd = 0x2000;
    static constexpr int kIbaPad = 0x1;  // ibask option: primary address

    static constexpr const char* kDefaultName = "libgpib.so.0";
    // TARVIX_LIBGPIB when set, otherwise the library's usual name.
    static QString defaultPath();

    explicit LinuxGpibLibrary(const QString& path);
    ~LinuxGpibLibrary();
    LinuxGpibLibrary(const LinuxGpibLibrary&) = delete;
    LinuxGpibLibrary& operator=(const LinuxGpibLibrary&) = delete;

    bool loaded() const { return loadError_.isEmpty(); }
    // Why the library cannot be used; empty when it can.
    const QString& loadError() const { return loadError_; }

    struct Status {
        int sta = 0;
        int err = 0;
        int cnt = 0;
    };
    // The status of this thread's last call: the thread-safe accessors when the library
    // has them, else its global variables.
    Status status() const;

    int (*ibdev)(int board, int pad, int sad, int timo, int sendEoi, int eos) = nullptr;
    int (*ibwrt)(int ud, const void* data, long count) = nullptr;
    int (*ibrd)(int ud, void* buffer, long count) = nullptr;
    int (*ibtmo)(int ud, int timeoutClass) = nullptr;
    int (*ibln)(int ud, int pad, int sad, short* found) = nullptr;
    int (*ibask)(int ud, int option, int* value) = nullptr;  // optional from here on
    int (*ibsic)(int ud) = nullptr;
    int (*ibsre)(int ud, int value) = nullptr;
    int (*ibonl)(int ud, int value) = nullptr;

  private:
    template <typename Function>
    void resolve(Function*& function, const char* name);

    void* handle_ = nullptr;
    QString loadError_;
    int (*threadIbsta_)() = nullptr;
    int (*threadIberr_)() = nullptr;
    int (*threadIbcnt_)() = nullptr;
    const int* ibsta_ = nullptr;
    const int* iberr_ = nullptr;
    const int* ibcnt_ = nullptr;
};

}  // namespace tarvix::buses
