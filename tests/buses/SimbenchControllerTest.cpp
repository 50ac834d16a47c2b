// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <random>
#include <thread>

#include "Simbench.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kFreedMemoryQuarantined = true;
#else
constexpr bool kFreedMemoryQuarantined = false;
#endif

// A client of tarvix-simbench speaking the controller's protocol line by line.
class ControllerClient {
  public:
    explicit ControllerClient(quint16 port) {
        socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
        socket_.waitForConnected(5000);
        send("++read_tmo_ms 200");
    }
    void send(const QByteArray& line) {
        socket_.write(line + "\n");
        socket_.waitForBytesWritten(5000);
    }
    // The next line the controller writes, without its line end; empty when none comes
    // within `ms`.
    QByteArray line(int ms = 2000) {
        QElapsedTimer clock;
        clock.start();
        while (!socket_.canReadLine() && clock.elapsed() < ms) {
            socket_.waitForReadyRead(static_cast<int>(ms - clock.elapsed()) + 1);
        }
        return socket_.canReadLine() ? socket_.readLine().trimmed() : QByteArray();
    }
    QByteArray ask(const QByteArray& command, int ms = 2000) {
        send(command);
        if (!command.startsWith("++")) {
            send("++read eoi");
        }
        return line(ms);
    }
    QByteArray readBytes(int count) {
        while (socket_.bytesAvailable() < count && socket_.waitForReadyRead(2000)) {
        }
        return socket_.read(count);
    }

  private:
    QTcpSocket socket_;
};

// Sends `bytes` bytes from `make` through a plain socket from another thread, as fast as the
// server takes them.
std::thread streamFrom(quint16 port, std::size_t bytes, std::function<char(std::size_t)> make,
                       QByteArray tail) {
    return std::thread([=] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return;
        }
        std::string chunk(1 << 20, ' ');
        for (std::size_t sent = 0; sent < bytes; sent += chunk.size()) {
            for (std::size_t i = 0; i < chunk.size(); ++i) {
                chunk[i] = make(sent + i);
            }
            if (::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL) < 0) {
                break;
            }
        }
        ::send(fd, tail.constData(), static_cast<std::size_t>(tail.size()), MSG_NOSIGNAL);
        ::usleep(200000);  // let the server take the tail before the connection ends
        ::close(fd);
    });
}

// The largest resident size the process has had, in kB.
long peakResidentKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

class SimbenchController : public ::testing::Test {
  protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(
            bench.start(QStringLiteral("noise=0,latency=0,sample=resistor:1000"), 0, &error))
            << error.toStdString();
    }
    Simbench bench;
};

}  // namespace

TEST_F(SimbenchController, AnswersTheControllerCommandsClientsUse) {
    ControllerClient client(bench.port());
    const std::pair<const char*, const char*> exchanges[] = {
        {"++lon", "0"},           {"++savecfg", "1"},
        {"++status 16", nullptr}, {"++status", "16"},
        {"++eos", "0"},           {"++eos 3", nullptr},
        {"++eos", "3"},           {"++eos 4", nullptr},  // out of range: ignored
        {"++eos", "3"},           {"++bogus", "Unrecognized command"},
    };
    for (const auto& [command, reply] : exchanges) {
        client.send(command);
        if (reply) {
            EXPECT_EQ(client.line(), QByteArray(reply)) << command;
        }
    }
    EXPECT_TRUE(client.ask("++ver").startsWith("Tarvix"));
    EXPECT_TRUE(client.ask("++help").contains("++spoll"));
}

TEST_F(SimbenchController, DeviceClearAndSerialPollsReachTheInstrument) {
    ControllerClient client(bench.port());
    client.send("++addr 24");
    client.send("*IDN?");
    client.send("++clr");  // the unread reply goes
    EXPECT_EQ(client.ask("++read eoi", 500), QByteArray());
    EXPECT_EQ(client.ask("++spoll"), "0");
    client.send("*SRE 16;*IDN?");  // a waiting reply now requests service
    EXPECT_EQ(client.ask("++srq"), "1");
    EXPECT_EQ(client.ask("++spoll"), "80");
    EXPECT_EQ(client.ask("++srq"), "0");  // the poll took the request
    EXPECT_TRUE(client.ask("++read eoi").startsWith("KEITHLEY"));
    EXPECT_EQ(client.ask("++spoll 24"), "0");
    EXPECT_EQ(client.ask("++spoll 5", 500), QByteArray());  // nobody there: no answer
    EXPECT_EQ(client.ask(":SYST:ERR?"), "0,\"No error\"");
}

TEST_F(SimbenchController, ReadsUpToACharacterAndSendsEveryLineEnd) {
    ControllerClient client(bench.port());
    client.send("++addr 24");
    client.send("*IDN?");
    client.send("++read 44");  // up to the first comma
    EXPECT_EQ(client.readBytes(26), "KEITHLEY INSTRUMENTS INC.,");
    EXPECT_TRUE(client.ask("++read eoi").startsWith("MODEL 2400,"));
    for (const char* eos : {"++eos 0", "++eos 1", "++eos 2", "++eos 3"}) {
        client.send(eos);
        EXPECT_EQ(client.ask(":SOUR:VOLT:LEV 1.5V;LEV?"), "+1.500000E+00") << eos;
        EXPECT_EQ(client.ask(":SYST:ERR?"), "0,\"No error\"") << eos;
    }
}

TEST_F(SimbenchController, EndlessLinesAndBinaryGarbageStallNoOtherClient) {
    constexpr std::size_t kEndlessLine = 400u << 20;
    std::thread endless = streamFrom(
        bench.port(), kEndlessLine, [](std::size_t) { return 'x'; }, "\n++addr 24\n*IDN x\n");
    std::mt19937 random(7);
    std::thread garbage =
        streamFrom(bench.port(), 32u << 20,
                   [&random](std::size_t) { return static_cast<char>(random()); }, {});
    ControllerClient client(bench.port());
    client.send("++addr 16");
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(client.ask("*IDN?").contains("MODEL 2000")) << i;
        EXPECT_LT(clock.elapsed(), 1000) << i;
    }
    endless.join();
    garbage.join();
    // The endless line went to address 0; the line after it reached the 2400.
    client.send("++addr 24");
    EXPECT_EQ(client.ask(":SYST:ERR?"), "-113,\"Undefined header\"");
    // AddressSanitizer keeps freed buffers in quarantine, so the bound holds only without it.
    if (!kFreedMemoryQuarantined) {
        EXPECT_LT(peakResidentKb(bench.pid()), 128 * 1024);
    }
}

TEST_F(SimbenchController, ALineTooLongForTheInstrumentOverrunsItsInput) {
    ControllerClient client(bench.port());
    client.send("++addr 24");
    client.send(":SOUR:VOLT:LEV 1;" + QByteArray(100000, ' ') + "*IDN?");
    EXPECT_EQ(client.ask(":SYST:ERR?"), "-363,\"Input buffer overrun\"");
    EXPECT_EQ(client.ask(":SOUR:VOLT:LEV?"), "+0.000000E+00");  // nothing of it ran
}

// A GPIB read goes on to the end of the message: a reply past one read's capacity and binary
// data holding NULs both arrive whole.
TEST(SimbenchTspReplies, LongAndBinaryRepliesArriveWhole) {
    Simbench bench;
    QString error;
    ASSERT_TRUE(bench.start(QStringLiteral("smu=2636A,noise=0,latency=0"), 0, &error))
        << error.toStdString();
    ControllerClient client(bench.port());
    client.send("++addr 26");
    EXPECT_EQ(client.ask("print(string.rep('x', 70000))"), QByteArray(70000, 'x'));
    client.send("format.data = format.REAL64 printnumber(0, 1)");
    client.send("++read eoi");
    EXPECT_EQ(client.readBytes(19), QByteArray("#0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xF0\x3F\n", 19));
    EXPECT_EQ(client.ask("print(errorqueue.count)"), "0.00000e+00");
}
