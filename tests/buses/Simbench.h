#pragma once

#include <QProcess>
#include <QString>

// tarvix-simbench run as a separate program for a test, on 127.0.0.1.
class Simbench {
  public:
    Simbench() = default;
    Simbench(const Simbench&) = delete;
    Simbench& operator=(const Simbench&) = delete;
    ~Simbench() { kill(); }

    // Port 0 lets the program pick one. False (with the program's output in `error`) when
    // it does not come up.
    bool start(const QString& options, quint16 port = 0, QString* error = nullptr);
    // Kills it outright, as a crash or a pulled cable would end the link, and waits for it.
    void kill();

    quint16 port() const { return port_; }
    qint64 pid() const { return process_.processId(); }
    QString uri() const { return QStringLiteral("prologix:tcp:127.0.0.1:%1").arg(port_); }

  private:
    QProcess process_;
    quint16 port_ = 0;
};
