// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class QSqlDatabase;

namespace tarvix::mirror {

// Ends a server connection that stops answering. A link gone silent (a pulled cable, a
// frozen router) sends no reset and no end: libpq would wait for its answer as long as the
// operating system keeps the connection, minutes or for ever. The watchdog's own thread
// shuts the connection's socket when one statement waited longer than its patience, so the
// statement fails at once and the mirror tries again later.
class ServerWatchdog {
  public:
    explicit ServerWatchdog(std::chrono::milliseconds patience);
    ~ServerWatchdog();
    ServerWatchdog(const ServerWatchdog&) = delete;
    ServerWatchdog& operator=(const ServerWatchdog&) = delete;

    // Watches the socket of the open connection `db` (of the QPSQL driver).
    void watch(const QSqlDatabase& db);
    // Before the connection closes: its socket number may be another's afterwards.
    void release();

    // Times one wait for the server while it lives.
    class Wait {
      public:
        explicit Wait(ServerWatchdog& watchdog);
        // A wait that may take longer than the usual patience.
        Wait(ServerWatchdog& watchdog, std::chrono::milliseconds patience);
        ~Wait();
        Wait(const Wait&) = delete;
        Wait& operator=(const Wait&) = delete;

      private:
        ServerWatchdog& watchdog_;
    };

    // Whether the socket was shut since it was watched, and then what the status says.
    bool cut() const;
    QString complaint() const;

  private:
    using Clock = std::chrono::steady_clock;

    void arm(bool on, std::chrono::milliseconds patience);
    void run();

    const std::chrono::milliseconds patience_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    int socket_ = -1;
    bool armed_ = false;
    bool cut_ = false;
    bool stopping_ = false;
    Clock::time_point deadline_;
    std::thread thread_;
};

}  // namespace tarvix::mirror
