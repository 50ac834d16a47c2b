// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/ServerWatchdog.h"

#include <libpq-fe.h>
#include <sys/socket.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

namespace tarvix::mirror {

ServerWatchdog::ServerWatchdog(std::chrono::milliseconds patience)
    : patience_(patience), thread_([this] { run(); }) {}

ServerWatchdog::~ServerWatchdog() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void ServerWatchdog::watch(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    int socket = -1;
    // The driver names the type by its struct.
    const char* type = handle.typeName();
    if (qstrcmp(type, "pg_conn*") == 0 || qstrcmp(type, "PGconn*") == 0) {
        socket = PQsocket(*static_cast<PGconn* const*>(handle.constData()));
    }
    const std::lock_guard lock(mutex_);
    socket_ = socket;
    armed_ = false;
    cut_ = false;
}

void ServerWatchdog::release() {
    const std::lock_guard lock(mutex_);
    socket_ = -1;
    armed_ = false;
    cut_ = false;
}

bool ServerWatchdog::cut() const {
    const std::lock_guard lock(mutex_);
    return cut_;
}

QString ServerWatchdog::complaint() const {
    return QStringLiteral("the server did not answer for %1 s; the connection was given up")
        .arg(patience_.count() / 1000.0);
}

void ServerWatchdog::arm(bool on, std::chrono::milliseconds patience) {
    {
        const std::lock_guard lock(mutex_);
        armed_ = on;
        deadline_ = Clock::now() + patience;
    }
    wake_.notify_all();
}

void ServerWatchdog::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!armed_) {
            wake_.wait(lock);
        } else if (wake_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ &&
                   Clock::now() >= deadline_) {
            // The waiting statement sees the connection end and fails; the socket stays
            // the connection's until it is closed.
            if (socket_ >= 0) {
                ::shutdown(socket_, SHUT_RDWR);
                cut_ = true;
            }
            armed_ = false;
        }
    }
}

ServerWatchdog::Wait::Wait(ServerWatchdog& watchdog) : Wait(watchdog, watchdog.patience_) {}

ServerWatchdog::Wait::Wait(ServerWatchdog& watchdog, std::chrono::milliseconds patience)
    : watchdog_(watchdog) {
    watchdog_.arm(true, patience);
}

ServerWatchdog::Wait::~Wait() {
    watchdog_.arm(false, watchdog_.patience_);
}

}  // namespace tarvix::mirror
