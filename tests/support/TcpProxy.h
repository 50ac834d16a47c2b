// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <signal.h>
#include <unistd.h>

#include <QProcess>
#include <QTcpSocket>
#include <QThread>

#include "support/FreePort.h"

namespace tarvix::testing {

// The network between a bench and its server: a socat relay from a port of its own on
// 127.0.0.1 to the server's. Frozen it is a pulled cable (nothing arrives, nothing is
// refused, no connection ends); killed and started again it is a router restarted.
class TcpProxy {
  public:
    explicit TcpProxy(int target) : target_(target), port_(freePort()) {}
    ~TcpProxy() { kill(); }
    TcpProxy(const TcpProxy&) = delete;
    TcpProxy& operator=(const TcpProxy&) = delete;

    int port() const { return port_; }

    // Listens (again) on the same port; true once it does.
    bool start() {
        relay_ = std::make_unique<QProcess>();
        // A group of its own: the relays of the connections go with the listener.
        relay_->setChildProcessModifier([] { ::setsid(); });
        relay_->start(QStringLiteral("socat"),
                      {QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork").arg(port_),
                       QStringLiteral("TCP:127.0.0.1:%1").arg(target_)});
        for (int tries = 0; tries < 100 && relay_->state() != QProcess::NotRunning; ++tries) {
            QTcpSocket probe;
            probe.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port_));
            if (probe.waitForConnected(100)) {
                return true;
            }
            QThread::msleep(50);
        }
        return false;
    }
    void freeze() { signal(SIGSTOP); }
    void thaw() { signal(SIGCONT); }
    void kill() {
        if (relay_ && relay_->state() != QProcess::NotRunning) {
            signal(SIGKILL);
            relay_->waitForFinished(5000);
        }
        relay_.reset();
    }

  private:
    void signal(int number) { ::kill(-static_cast<pid_t>(relay_->processId()), number); }

    int target_;
    int port_;
    std::unique_ptr<QProcess> relay_;
};

}  // namespace tarvix::testing
