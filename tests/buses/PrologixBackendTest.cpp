// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <atomic>
#include <string>
#include <thread>

#include "Simbench.h"
#include "bus/BusTranscript.h"
#include "bus/GpibBus.h"
#include "buses/PrologixBackend.h"
#include "buses/createBus.h"
#include "text/NumberText.h"

using namespace tarvix;

namespace {

const QString kBench = QStringLiteral("smu=2400,noise=0");

// What the program does at start, in the address scan and in a short voltage sweep.
void runScanAndSweep(bus::GpibBus& gpib) {
    if (!gpib.boardPresent()) {
        return;
    }
    gpib.initialize(0, 0);
    gpib.setTimeout(1000);
    QByteArray reply;
    for (int address = 1; address <= 30; ++address) {
        if (gpib.listenerPresent(address)) {
            gpib.send(address, "*IDN?");
            gpib.enter(reply, 100, address);
        }
    }
    for (const char* command : {"*RST", ":SOUR:FUNC VOLT", ":SOUR:VOLT:MODE FIXED",
                                ":SOUR:VOLT:RANG  2.00000000000000E+0001",
                                ":SENS:CURR:PROT  2.00000000000000E-0006", ":FORM:ELEM CURR"}) {
        gpib.send(24, command);
    }
    gpib.setTimeout(1000);
    gpib.send(24, ":OUTP ON");
    for (const double level : {0.0, 1.0, -1.0, 0.5}) {
        gpib.send(24, (QStringLiteral(":SOUR:VOLT:LEV ") + text::defaultReal(level)).toStdString());
        gpib.send(24, ":SENS:FUNC \"CURR\"");
        gpib.send(24, ":FORM:ELEM CURR");
        gpib.send(24, ":READ?");
        gpib.enter(reply, 70, 24);
    }
    gpib.send(24, ":OUTP OFF");
}

// The program only looks at the low byte of the listener check.
QStringList normalized(QStringList lines) {
    static const QRegularExpression listen(QStringLiteral("^listen (\\d+) (-?\\d+)$"));
    for (QString& line : lines) {
        const auto match = listen.match(line);
        if (match.hasMatch()) {
            line = QStringLiteral("listen %1 %2")
                       .arg(match.captured(1))
                       .arg((match.captured(2).toInt() & 0xFF) != 0 ? 1 : 0);
        }
    }
    return lines;
}

}  // namespace

TEST(PrologixBackend, ScanAndSweepGiveTheSameTranscriptAsTheBenchInProcess) {
    Simbench bench;
    QString error;
    ASSERT_TRUE(bench.start(kBench, 0, &error)) << error.toStdString();

    bus::BusTranscript direct;
    auto simBus = buses::createBus(QStringLiteral("sim:") + kBench, &error, &direct);
    ASSERT_TRUE(simBus) << error.toStdString();
    runScanAndSweep(*simBus);

    bus::BusTranscript network;
    auto prologixBus = buses::createBus(bench.uri(), &error, &network);
    ASSERT_TRUE(prologixBus) << error.toStdString();
    runScanAndSweep(*prologixBus);

    EXPECT_EQ(normalized(network.lines()), normalized(direct.lines()));
    EXPECT_TRUE(network.lines().contains(QStringLiteral("listen 24 1")));
    const QStringList identification =
        network.lines().filter(QRegularExpression(QStringLiteral("^enter 24 100 0 .*2400")));
    EXPECT_EQ(identification.size(), 1);
}

TEST(PrologixBackend, LosingTheControllerFailsCallsInsteadOfHanging) {
    Simbench bench;
    QString error;
    ASSERT_TRUE(bench.start(kBench, 0, &error)) << error.toStdString();
    auto backend = buses::createBackend(bench.uri(), &error);
    ASSERT_TRUE(backend) << error.toStdString();
    bus::GpibBus gpib(std::move(backend));
    gpib.setTimeout(1000);
    ASSERT_TRUE(gpib.listenerPresent(24));
    gpib.send(24, "*IDN?");
    ASSERT_EQ(gpib.gpibStatus(), 0);

    // The link goes between the query and its reply.
    const quint16 port = bench.port();
    bench.kill();
    QByteArray reply;
    gpib.enter(reply, 100, 24);
    EXPECT_EQ(gpib.gpibStatus(), buses::PrologixBackend::kLinkLost);
    EXPECT_EQ(reply, QByteArray(120, ' '));

    gpib.send(24, ":OUTP OFF");
    EXPECT_EQ(gpib.gpibStatus(), buses::PrologixBackend::kLinkLost);
    EXPECT_FALSE(gpib.listenerPresent(24));
    EXPECT_FALSE(gpib.boardPresent());

    // The next action starts by setting the time-out, which reconnects.
    Simbench again;
    ASSERT_TRUE(again.start(kBench, port, &error)) << error.toStdString();
    gpib.setTimeout(1000);
    EXPECT_TRUE(gpib.boardPresent());
    gpib.send(24, "*IDN?");
    gpib.enter(reply, 100, 24);
    EXPECT_EQ(gpib.gpibStatus(), 0);
    EXPECT_TRUE(bus::GpibBus::replyText(reply).contains("2400"));
}

TEST(PrologixBackend, AReadWithNothingQueuedTimesOutAndLeavesTheSpaces) {
    Simbench bench;
    QString error;
    ASSERT_TRUE(bench.start(kBench, 0, &error)) << error.toStdString();
    auto backend = buses::createBackend(bench.uri(), &error);
    ASSERT_TRUE(backend) << error.toStdString();
    bus::GpibBus gpib(std::move(backend));
    gpib.setTimeout(100);
    QByteArray reply;
    gpib.enter(reply, 70, 24);
    EXPECT_EQ(gpib.gpibStatus(), buses::PrologixBackend::kTimedOut);
    EXPECT_EQ(reply, QByteArray(90, ' '));
    // Nothing the time-out left behind spoils the next exchange.
    gpib.send(24, "*IDN?");
    gpib.enter(reply, 100, 24);
    EXPECT_EQ(gpib.gpibStatus(), 0);
    EXPECT_TRUE(bus::GpibBus::replyText(reply).startsWith("KEITHLEY"));
}

TEST(PrologixBackend, UnreachableOrMalformedControllersAreClearErrors) {
    QString error;
    EXPECT_FALSE(buses::createBackend(QStringLiteral("prologix:tcp:127.0.0.1:1"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cannot connect"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("127.0.0.1:1"))) << error.toStdString();

    for (const char* uri : {"prologix", "prologix:udp:host",
                            "prologix:tcp:", "prologix:serial:", "prologix:tcp:host:99999"}) {
        error.clear();
        EXPECT_FALSE(buses::createBackend(QString::fromLatin1(uri), &error)) << uri;
        EXPECT_FALSE(error.isEmpty()) << uri;
    }
    EXPECT_FALSE(
        buses::createBackend(QStringLiteral("prologix:serial:/dev/no-such-tarvix-port"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("/dev/no-such-tarvix-port"))) << error.toStdString();
}

TEST(PrologixBackend, APeerThatIsNoControllerIsRejectedAtStart) {
    QTcpServer silent;  // accepts (the kernel does) but never answers "++ver"
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QString error;
    EXPECT_FALSE(buses::createBackend(
        QStringLiteral("prologix:tcp:127.0.0.1:%1").arg(silent.serverPort()), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("does not answer"))) << error.toStdString();
}

namespace {

// A controller on a loopback socket that answers "++ver" and, asked to read, streams bytes
// without ever a line end: `chunk` bytes every `pauseMs`. It runs on a thread of its own, as
// the backend blocks the test's thread while it waits.
class StreamingController {
  public:
    StreamingController(int chunk, int pauseMs) : chunk_(chunk), pauseMs_(pauseMs) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(listener_, 1) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
        thread_ = std::thread([this] { serve(); });
    }
    ~StreamingController() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    QString uri() const { return QStringLiteral("prologix:tcp:127.0.0.1:%1").arg(port_); }

  private:
    void serve() {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) {
            return;
        }
        std::string pending;
        bool streaming = false;
        while (!stop_) {
            pollfd wait{client, POLLIN, 0};
            ::poll(&wait, 1, streaming ? pauseMs_ : 20);
            if (wait.revents & POLLIN) {
                char bytes[512];
                const ssize_t got = ::recv(client, bytes, sizeof bytes, 0);
                if (got <= 0) {
                    break;
                }
                pending.append(bytes, static_cast<std::size_t>(got));
                if (pending.find("++ver\n") != std::string::npos) {
                    ::send(client, "streaming controller\n", 21, MSG_NOSIGNAL);
                }
                streaming = streaming || pending.find("++read eoi") != std::string::npos;
                pending.clear();
            }
            if (streaming &&
                ::send(client, std::string(static_cast<std::size_t>(chunk_), '7').data(),
                       static_cast<std::size_t>(chunk_), MSG_NOSIGNAL) < 0) {
                break;
            }
        }
        ::close(client);
    }

    int chunk_;
    int pauseMs_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

// A reply that never ends fails the exchange: cut at the length cap when the bytes pour in,
// at the overall deadline when they trickle in faster than the quiet time-out.
TEST(PrologixBackend, AReplyThatNeverEndsFailsInsteadOfHanging) {
    struct Case {
        const char* name;
        int chunk;
        int pauseMs;
    };
    for (const Case& c : {Case{"pouring", 8192, 1}, Case{"trickling", 1, 100}}) {
        SCOPED_TRACE(c.name);
        StreamingController controller(c.chunk, c.pauseMs);
        QString error;
        auto backend = buses::createBackend(controller.uri(), &error);
        ASSERT_TRUE(backend) << error.toStdString();
        bus::GpibBus gpib(std::move(backend));
        gpib.setTimeout(100);  // a quiet wait of 600 ms, an overall one of 1800 ms
        gpib.send(24, ":READ?");
        QElapsedTimer clock;
        clock.start();
        QByteArray reply;
        gpib.enter(reply, 70, 24);
        EXPECT_NE(gpib.gpibStatus(), 0);
        EXPECT_EQ(reply, QByteArray(90, ' '));
        EXPECT_LT(clock.elapsed(), 3000);
    }
}
