// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <deque>

#include "bus/GpibBackend.h"
#include "buses/PrologixCodec.h"
#include "buses/PrologixDeviceControl.h"

namespace tarvix::buses {

// One client of a PrologixServer: plays the controller's part of the protocol in front of
// a bus backend. Lines are handled in the order they came, a few at a time, so that every
// client of the server gets its turn; a read or poll that finds nothing keeps the controller
// busy for its read time-out, as the real one is. A client that sends faster than its lines
// are handled is held back by TCP: the session takes no more bytes while lines wait.
class PrologixSession : public QObject {
    Q_OBJECT
  public:
    PrologixSession(QTcpSocket* socket, bus::GpibBackend& backend, PrologixDeviceControl* control,
                    QObject* parent = nullptr);

    // The most one read takes (a 16-bit count), so that a long reply seldom needs more.
    static constexpr int kReplyCapacity = 65535;

  private:
    void schedule();
    void pump();
    void receive();
    void handleLine(const PrologixLine& line);
    void handleCommand(const QByteArray& command);
    bool handleSetting(const QByteArray& name, const QList<QByteArray>& arguments);
    void handleData(const QByteArray& data);
    void readFromInstrument(const QList<QByteArray>& arguments);
    QByteArray instrumentMessage();
    void serialPoll(const QList<QByteArray>& arguments);
    // Stores an integer setting, or answers its value when no argument is given.
    void setting(int* value, const QList<QByteArray>& arguments, int low, int high);
    void reply(const QByteArray& text);
    void write(const QByteArray& bytes);
    void stayBusy();

    QPointer<QTcpSocket> socket_;
    bus::GpibBackend& backend_;
    PrologixDeviceControl* control_;
    PrologixLineSplitter splitter_;
    std::deque<PrologixLine> queue_;
    QByteArray unread_;  // what a "++read CHAR" left of the instrument's message
    bool busy_ = false;
    bool scheduled_ = false;

    int address_ = 0;
    int mode_ = 1;
    int autoRead_ = 0;
    int eoi_ = 1;
    int eos_ = 0;
    int eotEnable_ = 0;
    int eotChar_ = 0;
    int readTimeoutMs_ = 500;
    int listenOnly_ = 0;
    int saveConfig_ = 1;
    int deviceStatus_ = 0;
};

}  // namespace tarvix::buses
