// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "SimBus.h"

using tarvix::sim::SimBench;
using tarvix::sim::testing::SimBus;

namespace {

constexpr int kScanFirst = 1;
constexpr int kScanLast = 30;

std::vector<int> listeners(SimBus& bench) {
    std::vector<int> found;
    for (int address = kScanFirst; address <= kScanLast; ++address) {
        if (bench.gpib().listenerPresent(address)) {
            found.push_back(address);
        }
    }
    return found;
}

}  // namespace

TEST(SimBench, EveryInstrumentIdentifiesWithItsOwnModelOnly) {
    const char* const models[] = {"2400", "2410", "2636"};
    for (const QString smu : {"2400", "2410", "2636A"}) {
        SimBus bench("noise=0,latency=0,smu=" + smu);
        const int smuAddress = smu == "2636A" ? 26 : 24;
        EXPECT_EQ(listeners(bench), (std::vector<int>{4, 14, 16, smuAddress}));
        for (const int address : {4, 14, 16, smuAddress}) {
            const std::string reply = bench.query(address, "*IDN?", 100);
            EXPECT_EQ(bench.status(), 0);
            for (const char* model : models) {
                const bool own = address == smuAddress && smu.startsWith(model);
                EXPECT_EQ(reply.find(model) != std::string::npos, own) << address << ": " << reply;
            }
        }
        EXPECT_NE(bench.query(14, "*IDN?", 100).find("6485"), std::string::npos);
        EXPECT_NE(bench.query(4, "*IDN?", 100).find("7600"), std::string::npos);
    }
}

TEST(SimBench, AbsentAddressesDoNotAnswerAtAll) {
    SimBus bench("noise=0,latency=0,absent=14/24");
    EXPECT_EQ(listeners(bench), (std::vector<int>{4, 16}));
    bench.send(24, "*IDN?");
    EXPECT_EQ(bench.status(), SimBench::kNoListener);
    bench.read(24);
    EXPECT_EQ(bench.status(), SimBench::kNoListener);
    bench.send(7, "*IDN?");  // nothing is wired there
    EXPECT_NE(bench.status(), 0);
}

TEST(SimBench, AnEnterWithNothingWaitingTimesOutAndLeavesTheSpaces) {
    SimBus bench;
    EXPECT_EQ(bench.read(24), std::string(90, ' '));
    EXPECT_EQ(bench.status(), SimBench::kTimedOut);
    EXPECT_EQ(bench.gpib().receivedCount(), 0);
    bench.send(24, "*IDN?");
    EXPECT_EQ(bench.status(), 0);
    const std::string reply = bench.read(24, 100);
    EXPECT_EQ(bench.status(), 0);
    EXPECT_EQ(bench.gpib().receivedCount(), reply.size());
    EXPECT_EQ(bench.buffer().size(), 120);
    EXPECT_EQ(bench.buffer().at(static_cast<qsizetype>(reply.size())), '\0');
    bench.read(24);  // the answer was already read
    EXPECT_EQ(bench.status(), SimBench::kTimedOut);
    EXPECT_EQ(bench.buffer(), QByteArray(90, ' '));
}

TEST(SimBench, ALongReplyIsCutAtTheMaximumAndTheRestWaits) {
    SimBus bench;
    bench.send(24, "*IDN?");
    const std::string head = bench.read(24, 20);
    EXPECT_EQ(head, "KEITHLEY INSTRUMENTS");
    EXPECT_EQ(bench.buffer().at(20), '\0');
    const std::string rest = bench.read(24, 100);
    EXPECT_EQ(head + rest, bench.query(24, "*IDN?", 100));
}

TEST(SimBench, InjectedFaultsFailEveryExchangeOfTheirKind) {
    SimBus bench("noise=0,latency=0,fail=send:24,fail=enter:14");
    EXPECT_TRUE(bench.gpib().listenerPresent(24));
    bench.send(24, "*IDN?");
    EXPECT_EQ(bench.status(), SimBench::kInjectedFault);
    bench.send(14, "*IDN?");
    EXPECT_EQ(bench.status(), 0);
    EXPECT_EQ(bench.read(14, 100), std::string(120, ' '));
    EXPECT_EQ(bench.status(), SimBench::kInjectedFault);
    EXPECT_NE(bench.query(16, "*IDN?", 100).find("MODEL 2000"), std::string::npos);
}

TEST(SimBench, TheTranscriptShowsTheExchanges) {
    SimBus bench;
    bench.query(14, "*IDN?", 100);
    const QStringList& lines = bench.transcript().lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "send 14 0 *IDN?");
    EXPECT_TRUE(lines[1].startsWith("enter 14 100 0 KEITHLEY")) << lines[1].toStdString();
}

TEST(SimBench, InstrumentsAreReachableByAddressForOtherTransports) {
    QString error;
    auto bench = SimBench::create("noise=0,latency=0,absent=4", &error);
    ASSERT_TRUE(bench);
    EXPECT_EQ(bench->addresses(), (std::vector<int>{14, 16, 24}));
    EXPECT_EQ(bench->instrument(4), nullptr);
    tarvix::sim::SimInstrument* smu = bench->instrument(24);
    ASSERT_NE(smu, nullptr);
    smu->write("*IDN?\n");
    EXPECT_EQ(smu->read(1000).value_or(""), smu->identification());
    EXPECT_FALSE(smu->read(1000));
}
