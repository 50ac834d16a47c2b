// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>
#include <memory>

#include "buses/PrologixServer.h"
#include "buses/SimDeviceControl.h"
#include "sim/SimBackend.h"

// One query through the network controller of tarvix-simbench, as a client sees it: the
// query, "++read eoi" and the reply, over loopback, with the bench at latency=0. The server
// runs in its own thread as the separate program would; the goal is well under a millisecond.
// For scale, the same kind of step sent to the bench in process.

namespace {

using namespace tarvix;

class ServedBench {
  public:
    ServedBench() {
        QString error;
        backend_ = std::make_unique<sim::SimBackend>(sim::SimBench::create(
            QStringLiteral("noise=0,latency=0,sample=resistor:1000"), &error));
        control_ = std::make_unique<buses::SimDeviceControl>(backend_->bench());
        thread_.start();
        context_.moveToThread(&thread_);
        QMetaObject::invokeMethod(
            &context_,
            [this] {
                server_ = new buses::PrologixServer(*backend_, control_.get());
                QString error;
                server_->listen(QHostAddress::LocalHost, 0, &error);
                port_ = server_->port();
            },
            Qt::BlockingQueuedConnection);
    }
    ~ServedBench() {
        QMetaObject::invokeMethod(
            &context_, [this] { delete server_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    quint16 port() const { return port_; }

  private:
    std::unique_ptr<sim::SimBackend> backend_;
    std::unique_ptr<buses::SimDeviceControl> control_;
    QThread thread_;
    QObject context_;
    buses::PrologixServer* server_ = nullptr;
    quint16 port_ = 0;
};

QByteArray ask(QTcpSocket& socket, const QByteArray& query) {
    socket.write(query + "\n++read eoi\n");
    while (!socket.canReadLine()) {
        socket.waitForReadyRead(1000);
    }
    return socket.readLine();
}

void runQueries(benchmark::State& state, const QByteArray& address, const QByteArray& query) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    ServedBench bench;
    QTcpSocket socket;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket.connectToHost(QHostAddress::LocalHost, bench.port());
    socket.waitForConnected(5000);
    socket.write("++auto 0\n++eos 2\n++addr " + address + "\n");
    for (auto _ : state) {
        benchmark::DoNotOptimize(ask(socket, query));
    }
}

void BM_Identification(benchmark::State& state) {
    runQueries(state, "24", "*IDN?");
}

void BM_CurrentReading(benchmark::State& state) {
    runQueries(state, "24", ":SOUR:VOLT:LEV 1;:OUTP ON;:FORM:ELEM CURR;:READ?");
}

// The same step of a sweep in process, without the network: what the SCPI parser costs.
void BM_DirectStep(benchmark::State& state) {
    QString error;
    auto bench = sim::SimBench::create(QStringLiteral("noise=0,latency=0"), &error);
    bench->send(24, ":SENS:CURR:PROT 0.1;:FORM:ELEM CURR;:OUTP ON");
    std::string reply;
    for (auto _ : state) {
        bench->send(24, ":SOUR:VOLT:LEV  1.00000000000000E+0000");
        bench->send(24, ":READ?");
        bench->enter(24, 70, &reply);
    }
}

}  // namespace

BENCHMARK(BM_DirectStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Identification)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurrentReading)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
