// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "SimBus.h"
#include "sim/ErrorQueue.h"
#include "sim/ScpiCommandTable.h"

using namespace tarvix::sim;
using tarvix::sim::testing::SimBus;

namespace {

// A small instrument-like table that records what its handlers were given.
class ScpiCommandTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        table.add(
            "[:SOURce]:VOLTage[:LEVel][:IMMediate][:AMPLitude]",
            [this](ScpiCall& call) {
                if (const auto value = call.number(0, -210, 210, 0)) {
                    level = *value;
                }
            },
            [this](ScpiCall& call) { call.reply(std::to_string(level)); });
        table.add("[:SOURce]:VOLTage:MODE", [this](ScpiCall& call) {
            mode = call.choice(0, {"FIXed", "LIST"}).value_or(-1);
        });
        table.add(
            "[SENSe]:FUNCtion",
            [this](ScpiCall& call) {
                function = call.quotedChoice(0, {"VOLTage[:DC]", "RESistance"}).value_or(-1);
            },
            {}, 1, 1);
        table.addCommand("ROUTe:OPEN:ALL", [this](ScpiCall&) { ++opened; });
        table.add("ROUTe:CLOSe",
                  [this](ScpiCall& call) { channel = call.channel(0, 1, 40).value_or(-1); });
        table.addQuery("*IDN", [](ScpiCall& call) { call.reply("ID"); });
    }

    ScpiCommandTable table;
    double level = 0;
    int mode = -2;
    int function = -2;
    int opened = 0;
    int channel = 0;
};

}  // namespace

TEST_F(ScpiCommandTableTest, TakesShortAndLongFormsInAnyCaseWithOptionalNodes) {
    for (const char* message :
         {":SOUR:VOLT:LEV 1.5", ":SOURce:VOLTage:LEVel 1.5", "sour:volt:lev 1.5", "SOUR:VOLT 1.5",
          ":VOLT 1.5", ":SOUR:VOLT:LEV:IMM:AMPL 1.5", "volt:level:ampl 1.5",
          ":SOUR:VOLT:LEV  1.50000000000000E+0000"}) {
        level = 0;
        const ScpiOutcome outcome = table.execute(message);
        EXPECT_TRUE(outcome.errors.empty()) << message;
        EXPECT_EQ(level, 1.5) << message;
    }
}

TEST_F(ScpiCommandTableTest, RejectsKeywordsBetweenShortAndLongForm) {
    EXPECT_EQ(table.execute(":SOURC:VOLT 1").errors, std::vector<int>{-113});
    EXPECT_EQ(table.execute(":SOUR:VOLTA 1").errors, std::vector<int>{-113});
    EXPECT_EQ(table.execute(":SOUR::VOLT 1").errors, std::vector<int>{-113});
    EXPECT_EQ(level, 0);
}

TEST_F(ScpiCommandTableTest, RunsSeveralCommandsAndContinuesTheirPath) {
    const ScpiOutcome outcome =
        table.execute(":SOUR:VOLT:MODE LIST;LEV -2;:ROUT:CLOS (@7);OPEN:ALL;*IDN?;:VOLT?");
    EXPECT_TRUE(outcome.errors.empty());
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(level, -2);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(channel, 7);
    EXPECT_EQ(outcome.replies, (std::vector<std::string>{"ID", std::to_string(-2.0)}));
}

TEST_F(ScpiCommandTableTest, QuotedStringsKeepTheirColonsAndSemicolons) {
    EXPECT_TRUE(table.execute("FUNC \"VOLT:DC\"").errors.empty());
    EXPECT_EQ(function, 0);
    EXPECT_TRUE(table.execute(":sens:func 'res'").errors.empty());
    EXPECT_EQ(function, 1);
    EXPECT_EQ(table.execute("FUNC \"VOLT;DC\"").errors, std::vector<int>{-224});
    EXPECT_EQ(table.execute("FUNC RES").errors, std::vector<int>{-104});
}

TEST_F(ScpiCommandTableTest, ReportsEachKindOfBadCommand) {
    EXPECT_EQ(table.execute("FOO").errors, std::vector<int>{-113});
    EXPECT_TRUE(table.execute("FOO?").replies.empty());
    EXPECT_EQ(table.execute(":SOUR:VOLT:MODE?").errors, std::vector<int>{-113});  // no query
    EXPECT_EQ(table.execute("*IDN").errors, std::vector<int>{-113});              // query only
    EXPECT_EQ(table.execute(":SOUR:VOLT").errors, std::vector<int>{-109});
    EXPECT_EQ(table.execute(":SOUR:VOLT 1,2").errors, std::vector<int>{-108});
    EXPECT_EQ(table.execute("*IDN? 3").errors, std::vector<int>{-108});
    EXPECT_EQ(table.execute(":SOUR:VOLT abc").errors, std::vector<int>{-104});
    EXPECT_EQ(table.execute(":SOUR:VOLT 1e3").errors, std::vector<int>{-222});
    EXPECT_EQ(table.execute(":SOUR:VOLT:MODE SWEEP").errors, std::vector<int>{-224});
    EXPECT_EQ(table.execute("ROUT:CLOS 7").errors, std::vector<int>{-104});
    EXPECT_EQ(table.execute("ROUT:CLOS (@41)").errors, std::vector<int>{-222});
    EXPECT_EQ(table.execute("FOO;BAR;*IDN?").errors, (std::vector<int>{-113, -113}));
    EXPECT_EQ(level, 0);
}

TEST_F(ScpiCommandTableTest, NumbersTakeMinMaxAndDefault) {
    table.execute(":VOLT MAX");
    EXPECT_EQ(level, 210);
    table.execute(":VOLT min");
    EXPECT_EQ(level, -210);
    table.execute(":VOLT DEF");
    EXPECT_EQ(level, 0);
}

TEST(ScpiInstrument, UnknownCommandsGoToTheErrorQueueAndAreNeverAnswered) {
    SimBus bench;
    bench.send(24, ":SOUR:BANANA 3");
    bench.send(24, ":READ:WHAT?");
    EXPECT_EQ(bench.read(24), std::string(90, ' '));
    EXPECT_NE(bench.status(), 0);
    EXPECT_EQ(bench.query(24, ":SYST:ERR?"), "-113,\"Undefined header\"");
    EXPECT_EQ(bench.query(24, ":SYSTem:ERRor:NEXT?"), "-113,\"Undefined header\"");
    EXPECT_EQ(bench.query(24, ":syst:err?"), "0,\"No error\"");
}

TEST(ScpiInstrument, AnUnreadReplyIsDiscardedByTheNextMessage) {
    SimBus bench;
    bench.send(14, "*IDN?");
    bench.send(14, "*OPC?");
    EXPECT_EQ(bench.read(14), "1");
    EXPECT_EQ(bench.query(14, "SYST:ERR?"), "-410,\"Query INTERRUPTED\"");
}

TEST(ScpiInstrument, SeveralQueriesOfOneMessageShareOneReply) {
    SimBus bench;
    EXPECT_EQ(bench.query(24, ":OUTP ON;:OUTP?;:SOUR:FUNC?"), "1;VOLT");
}

TEST(ErrorQueue, KeepsTenAndMarksTheOverflow) {
    ErrorQueue queue;
    for (int i = 0; i < 12; ++i) {
        queue.push(errors::kUndefinedHeader);
    }
    EXPECT_EQ(queue.size(), ErrorQueue::kCapacity);
    for (std::size_t i = 1; i < ErrorQueue::kCapacity; ++i) {
        EXPECT_EQ(queue.pop().code, -113);
    }
    EXPECT_EQ(ErrorQueue::scpiText(queue.pop()), "-350,\"Queue overflow\"");
    EXPECT_EQ(ErrorQueue::scpiText(queue.pop()), "0,\"No error\"");
}
