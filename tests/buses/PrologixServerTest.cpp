// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QThread>
#include <cstring>
#include <map>

#include "bus/BusTranscript.h"
#include "bus/GpibBus.h"
#include "buses/PrologixBackend.h"
#include "buses/PrologixCodec.h"
#include "buses/PrologixServer.h"
#include "buses/createBus.h"

using namespace tarvix;

namespace {

// An instrument at address 7 that answers every message with the message's bytes in hex,
// so that what reached it can be read back over the same link.
class HexEchoBackend : public bus::GpibBackend {
  public:
    int boardPresent() override { return 1; }
    int initialize(int, int) override { return 0; }
    int setTimeout(std::uint32_t) override { return 0; }
    int listenerPresent(int address) override { return address == 7 ? 1 : 0; }
    void send(int address, const char* command, int length, int* status) override {
        pending_[address] = QByteArray(command, length).toHex();
        *status = address == 7 ? 0 : 1;
    }
    void enter(char* buffer, std::uint32_t, std::uint16_t* count, int address,
               int* status) override {
        const auto found = pending_.find(address);
        if (found == pending_.end()) {
            *status = 1;
            return;
        }
        std::memcpy(buffer, found->second.constData(), found->second.size());
        buffer[found->second.size()] = '\0';
        *count = static_cast<std::uint16_t>(found->second.size());
        *status = 0;
        pending_.erase(found);
    }

  private:
    std::map<int, QByteArray> pending_;
};

// A PrologixServer on 127.0.0.1 running in its own thread, since the backend under test
// blocks this one while it waits for replies.
class ServerThread {
  public:
    explicit ServerThread(bus::GpibBackend& backend) {
        thread_.start();
        context_.moveToThread(&thread_);
        QMetaObject::invokeMethod(
            &context_,
            [this, &backend] {
                server_ = new buses::PrologixServer(backend);
                QString error;
                port_ = server_->listen(QHostAddress::LocalHost, 0, &error) ? server_->port() : 0;
            },
            Qt::BlockingQueuedConnection);
    }
    ~ServerThread() {
        QMetaObject::invokeMethod(
            &context_, [this] { delete server_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    QString uri() const { return QStringLiteral("prologix:tcp:127.0.0.1:%1").arg(port_); }
    quint16 port() const { return port_; }

  private:
    QThread thread_;
    QObject context_;
    buses::PrologixServer* server_ = nullptr;
    quint16 port_ = 0;
};

std::vector<buses::PrologixLine> splitAll(const QByteArray& stream, int chunk) {
    buses::PrologixLineSplitter splitter;
    std::vector<buses::PrologixLine> lines;
    for (qsizetype at = 0; at < stream.size(); at += chunk) {
        splitter.feed(stream.mid(at, chunk));
        while (auto line = splitter.next()) {
            lines.push_back(*line);
        }
    }
    return lines;
}

}  // namespace

TEST(PrologixCodec, EscapedDataSurvivesTheLineSplitterWhereverChunksEnd) {
    const QByteArray data("+1.0E+0000\r\n\x1b++ver", 18);
    const QByteArray stream = "++addr 7\r\n" + buses::prologixEscape(data) + "\n\n++read eoi\n";
    for (int chunk = 1; chunk <= stream.size(); ++chunk) {
        const auto lines = splitAll(stream, chunk);
        ASSERT_EQ(lines.size(), 3u) << "chunk " << chunk;
        EXPECT_TRUE(lines[0].command);
        EXPECT_EQ(lines[0].text, "addr 7");
        EXPECT_FALSE(lines[1].command);
        EXPECT_EQ(lines[1].text, data) << "chunk " << chunk;
        EXPECT_TRUE(lines[2].command);
        EXPECT_EQ(lines[2].text, "read eoi");
    }
    // Only an unescaped "++" at the very start makes a command.
    const auto lines = splitAll("+x\n \x1b+\x1b+ver\n", 64);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(lines[0].command);
    EXPECT_FALSE(lines[1].command);
    EXPECT_EQ(lines[1].text, " ++ver");
}

TEST(PrologixBackend, CommandsReachTheInstrumentByteForByte) {
    HexEchoBackend instrument;
    ServerThread server(instrument);
    ASSERT_NE(server.port(), 0);
    QString error;
    auto backend = buses::createBackend(server.uri(), &error);
    ASSERT_TRUE(backend) << error.toStdString();
    bus::GpibBus gpib(std::move(backend));
    gpib.setTimeout(1000);

    const QByteArray payloads[] = {
        ":SOUR:VOLT:LEV  1.00000000000000E+0000",
        "++ver",
        "a\r\nb",
        QByteArray("\x1b", 1),
        "+",
        "smua.source.levelv = -1.00000000000000E-0001",
        ":SENS:FUNC \"CURR\"",
    };
    for (const QByteArray& payload : payloads) {
        gpib.send(7, payload.toStdString());
        EXPECT_EQ(gpib.gpibStatus(), 0);
        QByteArray reply;
        gpib.enter(reply, 160, 7);
        EXPECT_EQ(gpib.gpibStatus(), 0);
        EXPECT_EQ(bus::GpibBus::replyText(reply), payload.toHex()) << payload.toStdString();
    }
}

TEST(PrologixBackend, ListenerCheckTellsPresentFromEmptyAddresses) {
    HexEchoBackend instrument;
    ServerThread server(instrument);
    QString error;
    bus::BusTranscript transcript;
    auto gpib = buses::createBus(server.uri(), &error, &transcript);
    ASSERT_TRUE(gpib) << error.toStdString();
    gpib->setTimeout(1000);
    EXPECT_FALSE(gpib->listenerPresent(6));
    EXPECT_TRUE(gpib->listenerPresent(7));
    EXPECT_FALSE(gpib->listenerPresent(8));
    EXPECT_FALSE(gpib->listenerPresent(31));
    // The short poll time-out of the check does not cut the next read short.
    gpib->send(7, "*IDN?");
    QByteArray reply;
    gpib->enter(reply, 100, 7);
    EXPECT_EQ(gpib->gpibStatus(), 0);
    EXPECT_EQ(bus::GpibBus::replyText(reply), QByteArray("*IDN?").toHex());
}

TEST(PrologixBackend, AnAddressTheControllerCannotTakeReachesNoInstrument) {
    HexEchoBackend instrument;
    ServerThread server(instrument);
    QString error;
    auto backend = buses::createBackend(server.uri(), &error);
    ASSERT_TRUE(backend) << error.toStdString();
    bus::GpibBus gpib(std::move(backend));
    gpib.send(7, "first");
    // The controller would ignore "++addr 31" and hand this to address 7.
    gpib.send(31, "second");
    EXPECT_EQ(gpib.gpibStatus(), buses::PrologixBackend::kBadAddress);
    QByteArray reply;
    gpib.enter(reply, 100, 7);
    EXPECT_EQ(bus::GpibBus::replyText(reply), QByteArray("first").toHex());
}
