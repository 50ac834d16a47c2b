// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <regex>

#include "SimBus.h"
#include "text/DecimalParse.h"

using tarvix::sim::testing::SimBus;
using tarvix::text::parseReply;

namespace {

constexpr int kPicoammeter = 14;

void setUpPicoammeter(SimBus& bench) {
    bench.sendAll(kPicoammeter, {"*RST", "CURR:RANG:AUTO ON", "CURR:NPLC 2", "SYST:ZCH OFF"});
}

}  // namespace

TEST(Picoammeter6485, ReadsTheCurrentTheSmuDrivesThroughTheSample) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000000");
    setUpPicoammeter(bench);
    bench.sendAll(
        24, {"*RST", ":SOUR:VOLT:RANG  2.00000000000000E+0000",
             ":SENS:CURR:PROT  2.00000000000000E-0006", ":SOUR:VOLT:LEV  1.50000000000000E+0000"});
    EXPECT_EQ(bench.query(kPicoammeter, "READ?").substr(0, 14), "+0.000000E+00A");  // output off
    bench.send(24, ":OUTP ON");
    const std::string reply = bench.query(kPicoammeter, "READ?");
    EXPECT_TRUE(
        std::regex_match(reply, std::regex(R"([+-]\d\.\d{6}E[+-]\d\d)"
                                           R"(A,[+-]\d\.\d{6}E[+-]\d\d,[+-]\d\.\d{6}E[+-]\d\d)")))
        << reply;
    EXPECT_FALSE(parseReply(reply));  // the unit and further fields: cut before converting
    EXPECT_EQ(reply.substr(0, 13), "+1.500000E-06");
    EXPECT_DOUBLE_EQ(*parseReply(reply.substr(0, 13)), 1.5e-6);
    bench.send(24, ":SOUR:VOLT:LEV -2.00000000000000E+0000");
    EXPECT_EQ(bench.query(kPicoammeter, "READ?").substr(0, 13), "-2.000000E-06");  // compliance
}

TEST(Picoammeter6485, ZeroCheckReadsNearlyNothing) {
    SimBus bench("latency=0,sample=resistor:1000");
    bench.sendAll(24, {":SOUR:VOLT:LEV 1", ":SENS:CURR:PROT 0.1", ":OUTP ON"});
    bench.send(kPicoammeter, "*RST");  // the zero check comes on with the reset
    EXPECT_LT(std::abs(*parseReply(bench.query(kPicoammeter, "READ?").substr(0, 13))), 1e-13);
    bench.send(kPicoammeter, "SYST:ZCH OFF");
    EXPECT_NEAR(*parseReply(bench.query(kPicoammeter, "READ?").substr(0, 13)), 1e-3, 1e-6);
    bench.send(kPicoammeter, "SYST:ZCH ON");
    EXPECT_EQ(bench.query(kPicoammeter, "SYST:ZCH?"), "1");
}

TEST(Picoammeter6485, FollowsTheTsp2636A) {
    SimBus bench("noise=0,latency=0,smu=2636A,sample=resistor:1000000");
    setUpPicoammeter(bench);
    bench.sendAll(26, {"smua.source.levelv = 2", "smua.source.limiti = 1e-3",
                       "smua.source.output = smua.OUTPUT_ON"});
    EXPECT_EQ(bench.query(kPicoammeter, "READ?").substr(0, 13), "+2.000000E-06");
}

TEST(Picoammeter6485, AFixedRangeOverflows) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000");
    bench.send(kPicoammeter, "SYST:ZCH OFF;:CURR:RANG 2e-6");
    bench.sendAll(24, {":SOUR:VOLT:LEV 1", ":SENS:CURR:PROT 0.1", ":OUTP ON"});
    EXPECT_EQ(bench.query(kPicoammeter, "CURR:RANG:AUTO?"), "0");
    EXPECT_EQ(bench.query(kPicoammeter, "READ?").substr(0, 13), "+9.900000E+37");
}

TEST(Picoammeter6485, CurrentIsTheOnlyFunctionToChoose) {
    const std::pair<const char*, const char*> rows[] = {
        {":SENS:FUNC 'CURR'", "0"},
        {"FUNC \"CURRent:DC\"", "0"},
        {":SENS:FUNC 'VOLT'", "-224"},
        {":SENS:FUNC CURR", "-104"},
    };
    SimBus bench;
    for (const auto& [command, error] : rows) {
        bench.send(kPicoammeter, command);
        EXPECT_EQ(bench.query(kPicoammeter, ":SENS:FUNC?"), "\"CURR:DC\"") << command;
        const std::string queued = bench.query(kPicoammeter, "SYST:ERR?");
        EXPECT_EQ(queued.substr(0, queued.find(',')), error) << command;
    }
}
