// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <map>
#include <vector>

// tarvix-simbench run as a separate program for a test, on 127.0.0.1.
class Simbench {
  public:
    Simbench() = default;
    Simbench(const Simbench&) = delete;
    Simbench& operator=(const Simbench&) = delete;
    ~Simbench() { kill(); }

    // Port 0 lets the program pick one. Each of `rawAddresses` gets a raw socket port of its
    // own, picked too. False (with the program's output in `error`) when it does not come up.
    bool start(const QString& options, quint16 port = 0, QString* error = nullptr,
               const std::vector<int>& rawAddresses = {});
    // Kills it outright, as a crash or a pulled cable would end the link, and waits for it.
    void kill();

    quint16 port() const { return port_; }
    // The raw socket port of the instrument at `address`, 0 when it has none.
    quint16 rawPort(int address) const {
        const auto found = rawPorts_.find(address);
        return found == rawPorts_.end() ? 0 : found->second;
    }
    qint64 pid() const { return process_.processId(); }
    QString uri() const { return QStringLiteral("prologix:tcp:127.0.0.1:%1").arg(port_); }

  private:
    QProcess process_;
    quint16 port_ = 0;
    std::map<int, quint16> rawPorts_;

    QString nextLine(QString* error);
};
