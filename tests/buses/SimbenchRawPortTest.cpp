// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpSocket>

#include "Simbench.h"
#include "buses/RawLineSplitter.h"
#include "text/ProgramVersion.h"

using tarvix::buses::RawLineSplitter;

namespace {

// A client of a raw socket port, or of the controller port spoken to without "++read".
class LineClient {
  public:
    explicit LineClient(quint16 port) {
        socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
        socket_.waitForConnected(5000);
    }
    void send(const QByteArray& bytes) {
        socket_.write(bytes);
        socket_.waitForBytesWritten(5000);
    }
    // The next line that comes back, without its line end; empty when none comes in `ms`.
    QByteArray line(int ms = 2000) {
        QElapsedTimer clock;
        clock.start();
        while (!socket_.canReadLine() && clock.elapsed() < ms) {
            socket_.waitForReadyRead(static_cast<int>(ms - clock.elapsed()) + 1);
        }
        return socket_.canReadLine() ? socket_.readLine().trimmed() : QByteArray();
    }
    QByteArray ask(const QByteArray& message) {
        send(message + "\n");
        return line();
    }

  private:
    QTcpSocket socket_;
};

}  // namespace

TEST(RawLineSplitter, LinesEndAtLineFeedsWhereverChunksEndAndLongOnesOverrun) {
    const QByteArray stream = "*IDN?\r\n\n\r\n12345678\r\n123456789\n1234567890\r\nab";
    const std::pair<QByteArray, bool> expected[] = {
        {"*IDN?", false}, {"12345678", false}, {"12345678", true}, {"12345678", true}};
    for (const qsizetype chunk : {qsizetype(1), qsizetype(3), stream.size()}) {
        RawLineSplitter splitter(8);
        for (qsizetype at = 0; at < stream.size(); at += chunk) {
            splitter.feed(QByteArrayView(stream).sliced(at, std::min(chunk, stream.size() - at)));
        }
        for (const auto& [text, overrun] : expected) {
            const auto line = splitter.next();
            ASSERT_TRUE(line) << chunk;
            EXPECT_EQ(line->text, text) << chunk;
            EXPECT_EQ(line->overrun, overrun) << chunk << " " << text.constData();
        }
        EXPECT_FALSE(splitter.next()) << chunk;  // "ab" waits for its line feed
        splitter.feed("\n");
        EXPECT_EQ(splitter.next()->text, "ab");
    }
}

TEST(SimbenchRawPort, ServesOneInstrumentWithTheStateTheControllerSees) {
    Simbench bench;
    QString error;
    ASSERT_TRUE(
        bench.start(QStringLiteral("noise=0,latency=0,sample=resistor:1000"), 0, &error, {24, 14}))
        << error.toStdString();
    LineClient smu(bench.rawPort(24));
    EXPECT_TRUE(smu.ask("*IDN?").contains("MODEL 2400"));
    smu.send("*RST\n:READ?\n");  // the output is off: no reply comes
    EXPECT_EQ(smu.ask(":SYST:ERR?"), "+803,\"Not permitted with OUTPUT off\"");

    LineClient controller(bench.port());
    controller.send("++addr 24\n:SOUR:VOLT:LEV 1;:SENS:CURR:PROT 0.1;:FORM:ELEM CURR;:OUTP ON\n");
    EXPECT_TRUE(controller.ask("++ver").startsWith("Tarvix"));  // the line before it ran
    EXPECT_EQ(smu.ask(":READ?"), "+1.000000E-03");
    EXPECT_EQ(smu.ask("*OPC?;:OUTP?\r"), "1;1");
    smu.send(":SOUR:VOLT:LEV?\n\n:OUTP?\n");  // two messages in one write
    EXPECT_EQ(smu.line(), "+1.000000E+00");
    EXPECT_EQ(smu.line(), "1");

    LineClient picoammeter(bench.rawPort(14));
    picoammeter.send("SYST:ZCH OFF\nFORM:ELEM READ\n");
    EXPECT_EQ(picoammeter.ask("READ?"), "+1.000000E-03");  // the current the SMU drives
    smu.send(":SOUR:VOLT:LEV 2;" + QByteArray(RawLineSplitter::kMaxLine, ' ') + "\n");
    EXPECT_EQ(smu.ask(":SYST:ERR?"), "-363,\"Input buffer overrun\"");
    EXPECT_EQ(smu.ask(":SOUR:VOLT:LEV?"), "+1.000000E+00");  // nothing of it ran
}

TEST(SimbenchRawPort, RefusesPortsItCannotServe) {
    const std::pair<const char*, const char*> rows[] = {
        {"24", "bad --raw \"24\" (expected ADDRESS=HOST:PORT, ADDRESS 0 to 30)"},
        {"31=127.0.0.1:0", "bad --raw \"31=127.0.0.1:0\""},
        {"x=127.0.0.1:0", "bad --raw \"x=127.0.0.1:0\""},
        {"24=127.0.0.1", "bad --raw \"24=127.0.0.1\" (expected ADDRESS=HOST:PORT"},
        {"24=10.0.0.1:5025", "10.0.0.1 is not a loopback address"},
        {"26=127.0.0.1:0", "no instrument answers at address 26"},
    };
    for (const auto& [raw, message] : rows) {
        QProcess process;
        process.start(QStringLiteral(SIMBENCH_PATH),
                      {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                       QStringLiteral("--raw"), QString::fromLatin1(raw)});
        ASSERT_TRUE(process.waitForFinished(10000)) << raw;
        EXPECT_EQ(process.exitCode(), 2) << raw;
        EXPECT_TRUE(process.readAllStandardError().contains(message)) << raw;
    }
}

TEST(SimbenchRawPort, TheBenchNamesItsVersion) {
    QProcess process;
    process.start(QStringLiteral(SIMBENCH_PATH), {QStringLiteral("--version")});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.readAllStandardOutput().trimmed(),
              "tarvix-simbench " + tarvix::text::programVersion().toUtf8());
}
