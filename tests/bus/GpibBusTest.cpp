// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>

#include "bus/BusTranscript.h"
#include "bus/GpibBus.h"
#include "buses/createBus.h"
#include "text/DecimalParse.h"

using namespace tarvix;

namespace {

// Answers every enter with a fixed reply, and counts the calls it gets.
class ScriptedBackend : public bus::GpibBackend {
  public:
    std::string reply;
    int calls = 0;
    int boardPresent() override { return ++calls, 0x101; }
    int initialize(int, int) override { return ++calls, 0; }
    int setTimeout(std::uint32_t) override { return ++calls, 0; }
    int listenerPresent(int) override { return ++calls, 0; }
    void send(int, const char*, int, int* status) override { ++calls, *status = 0; }
    void enter(char* buffer, std::uint32_t, std::uint16_t* count, int, int* status) override {
        ++calls;
        std::memcpy(buffer, reply.data(), reply.size());
        buffer[reply.size()] = '\0';
        *count = static_cast<std::uint16_t>(reply.size());
        *status = 0;
    }
};

}  // namespace

TEST(GpibBus, EnterHandsTheLibraryABufferOfSpacesAndKeepsItsLength) {
    auto backend = std::make_unique<ScriptedBackend>();
    backend->reply = "+1.234567E-09,+2.0";
    backend->reply.resize(20, '0');
    ScriptedBackend& scripted = *backend;
    bus::GpibBus gpib(std::move(backend));
    QByteArray buffer;
    gpib.enter(buffer, 70, 24);
    EXPECT_EQ(buffer.size(), 90);
    EXPECT_EQ(buffer.at(20), '\0');
    EXPECT_EQ(buffer.mid(21), QByteArray(69, ' '));
    EXPECT_EQ(bus::GpibBus::replyText(buffer).size(), 20);
    EXPECT_EQ(bus::replyBufferLength(100), 120);
    EXPECT_EQ(bus::replyBufferLength(160), 180);
    EXPECT_TRUE(gpib.boardPresent());  // only the low byte counts
    EXPECT_GT(scripted.calls, 0);
}

TEST(GpibBus, ARepliedNumberParsesOnlyWhenItIsTheWholeText) {
    auto backend = std::make_unique<ScriptedBackend>();
    backend->reply = "1.234567E-09,+2.0,+3";
    bus::GpibBus gpib(std::move(backend));
    QByteArray buffer;
    gpib.enter(buffer, 70, 14);
    const QByteArray text = bus::GpibBus::replyText(buffer);
    EXPECT_FALSE(text::parseReply(text.toStdString()));
    EXPECT_DOUBLE_EQ(*text::parseReply(text.left(12).toStdString()), 1.234567e-9);
}

TEST(BusRegistry, NoneCallsNothingButTheBoardCheck) {
    bus::BusTranscript transcript;
    QString error;
    auto gpib = buses::createBus("none", &error, &transcript);
    ASSERT_TRUE(gpib);
    EXPECT_FALSE(gpib->boardPresent());
    EXPECT_EQ(transcript.lines(), QStringList{"board-present 0"});
}

TEST(BusRegistry, RejectsUnknownConnectionStrings) {
    QString error;
    EXPECT_FALSE(buses::createBus("carrier-pigeon:1", &error));
    EXPECT_TRUE(error.contains("carrier-pigeon"));
    EXPECT_FALSE(buses::createBus("none:x", &error));
}

TEST(BusTranscript, ListenerCheckAndIdentificationOnTheSimulatedBench) {
    bus::BusTranscript transcript;
    QString error;
    auto gpib = buses::createBus("sim:noise=0,latency=0", &error, &transcript);
    ASSERT_TRUE(gpib) << error.toStdString();
    EXPECT_TRUE(gpib->boardPresent());
    gpib->initialize(0, 0);
    gpib->setTimeout(1000);
    EXPECT_TRUE(gpib->listenerPresent(24));
    EXPECT_FALSE(gpib->listenerPresent(7));
    gpib->send(24, "*IDN?");
    QByteArray buffer;
    gpib->enter(buffer, 100, 24);
    EXPECT_EQ(buffer.size(), 120);
    const QStringList& lines = transcript.lines();
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], "board-present 1");
    EXPECT_EQ(lines[1], "initialize");
    EXPECT_EQ(lines[2], "timeout 1000");
    EXPECT_EQ(lines[3], "listen 24 1");
    EXPECT_EQ(lines[4], "listen 7 0");
    EXPECT_EQ(lines[5], "send 24 0 *IDN?");
    EXPECT_TRUE(lines[6].startsWith("enter 24 100 0 KEITHLEY INSTRUMENTS INC.,MODEL 2400,"));
    EXPECT_EQ(lines[6].mid(15), QString::fromLatin1(bus::GpibBus::replyText(buffer)));
}

TEST(BusTranscript, InjectedFaultsGiveANonZeroStatus) {
    QString error;
    auto gpib = buses::createBus("sim:latency=0,fail=send:24,fail=enter:14", &error);
    ASSERT_TRUE(gpib) << error.toStdString();
    gpib->send(24, "*IDN?");
    EXPECT_NE(gpib->gpibStatus(), 0);
    gpib->send(14, "*IDN?");
    EXPECT_EQ(gpib->gpibStatus(), 0);
    QByteArray buffer;
    gpib->enter(buffer, 70, 14);
    EXPECT_NE(gpib->gpibStatus(), 0);
    EXPECT_EQ(buffer, QByteArray(90, ' '));
}
