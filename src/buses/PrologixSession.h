#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <deque>

#include "bus/GpibBackend.h"
#include "buses/PrologixCodec.h"

namespace tarvix::buses {

// One client of a PrologixServer: plays the controller's part of the protocol in front of
// a bus backend. Lines are handled in the order they came; a read or poll that finds
// nothing keeps the controller busy for its read time-out, as the real one is.
class PrologixSession : public QObject {
    Q_OBJECT
  public:
    PrologixSession(QTcpSocket* socket, bus::GpibBackend& backend, QObject* parent = nullptr);

    static constexpr int kReplyCapacity = 4096;

  private:
    void receive();
    void drain();
    void handleCommand(const QByteArray& command);
    void handleData(const QByteArray& data);
    void readFromInstrument();
    void serialPoll(const QList<QByteArray>& arguments);
    // Stores an integer setting, or answers its value when no argument is given.
    void setting(int* value, const QList<QByteArray>& arguments, int low, int high);
    void reply(const QByteArray& text);
    void stayBusy();

    QPointer<QTcpSocket> socket_;
    bus::GpibBackend& backend_;
    PrologixLineSplitter splitter_;
    std::deque<PrologixLine> queue_;
    bool busy_ = false;

    int address_ = 0;
    int mode_ = 1;
    int autoRead_ = 0;
    int eoi_ = 1;
    int eos_ = 0;
    int eotEnable_ = 0;
    int eotChar_ = 0;
    int readTimeoutMs_ = 500;
};

}  // namespace tarvix::buses
