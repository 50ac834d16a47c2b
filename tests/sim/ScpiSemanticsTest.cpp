// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "SimBus.h"
#include "sim/SimBench.h"
#include "sim/SimInstrument.h"

using tarvix::sim::SimBench;
using tarvix::sim::SimInstrument;
using tarvix::sim::testing::SimBus;

namespace {

constexpr int kSmu = 24;
constexpr int kPicoammeter = 14;
constexpr int kMultimeter = 16;

std::string errorCode(SimBus& bench, int address) {
    const std::string reply = bench.query(address, ":SYST:ERR?");
    return reply.substr(0, reply.find(','));
}

}  // namespace

// Each row: a setting sent after *CLS, the query that reads it back, and what the query and
// the error queue then hold ("" for a refused setting: the old value stays).
TEST(ScpiSemantics, NumbersTakeUnitsMultipliersAndKeywordsWithinTheirLimits) {
    struct Row {
        const char* setting;
        const char* query;
        const char* reply;
        const char* error;
    };
    const Row rows[] = {
        {":SOUR:VOLT:LEV 2V", ":SOUR:VOLT:LEV?", "+2.000000E+00", "0"},
        {":SOUR:VOLT:LEV 500 mV", ":SOUR:VOLT:LEV?", "+5.000000E-01", "0"},
        {":SOUR:VOLT:LEV -.25E1v", ":SOUR:VOLT:LEV?", "-2.500000E+00", "0"},
        {":SENS:CURR:PROT 10mA", ":SENS:CURR:PROT?", "+1.000000E-02", "0"},
        {":SENS:CURR:PROT 20MA", ":SENS:CURR:PROT?", "+2.000000E-02", "0"},  // M is milli
        {":SENS:CURR:PROT 1.05", ":SENS:CURR:PROT?", "+1.050000E+00", "0"},
        {":SENS:CURR:PROT 1.0501", ":SENS:CURR:PROT?", "", "-222"},
        {":SENS:CURR:PROT DEF", ":SENS:CURR:PROT?", "+1.050000E-04", "0"},
        {":SENS:CURR:PROT MAX", ":SENS:CURR:PROT?", "+1.050000E+00", "0"},
        {":SOUR:VOLT:LEV 2Q", ":SOUR:VOLT:LEV?", "", "-131"},
        {":SOUR:VOLT:LEV 2A", ":SOUR:VOLT:LEV?", "", "-131"},  // not this setting's unit
        {":SOUR:VOLT:LEV volts", ":SOUR:VOLT:LEV?", "", "-104"},
        {":SOUR:DEL 10ms", ":SOUR:DEL?", "+1.000000E-02", "0"},
        {":TRIG:COUN 2500", ":TRIG:COUN?", "2500", "0"},
        {":TRIG:COUN 2501", ":TRIG:COUN?", "", "-222"},
        {":SENS:CURR:RANG 1e-4", ":SENS:CURR:RANG?", "+1.050000E-04", "0"},
        {":SENS:CURR:RANG 1.06e-4", ":SENS:CURR:RANG?", "+1.050000E-03", "0"},
        {":SENS:CURR:RANG:AUTO ON", ":SENS:CURR:RANG:AUTO?", "1", "0"},
        {":SENS:AVER:TCON MOVing", ":SENS:AVER:TCON?", "MOV", "0"},
        {":SENS:AVER:TCON SIDEWAYS", ":SENS:AVER:TCON?", "", "-224"},
        {":SYST:BEEP 2kHz, 0.1", "*OPC?", "1", "0"},
        {":SYST:BEEP 1000", "*OPC?", "1", "-109"},
    };
    SimBus bench;
    for (const Row& row : rows) {
        bench.send(kSmu, "*CLS");
        const std::string before = bench.query(kSmu, row.query);
        bench.send(kSmu, row.setting);
        EXPECT_EQ(errorCode(bench, kSmu), row.error) << row.setting;
        EXPECT_EQ(bench.query(kSmu, row.query), *row.reply ? row.reply : before) << row.setting;
    }
}

// Each row: a message, then the error codes the queue holds and the standard event register.
TEST(ScpiSemantics, ErrorsQueueInOrderAndStarClsClearsThoseBeforeIt) {
    struct Row {
        const char* message;
        std::vector<std::string> errors;
        const char* eventRegister;
    };
    const Row rows[] = {
        {"BOGUS;*CLS", {}, "0"},
        {"*CLS;BOGUS", {"-113"}, "32"},
        {":*CLS", {}, "0"},
        {":SOUR:VOLT:LEV 1;:VOLT:LEV?;LEV 2", {}, "0"},  // paths carry on after a semicolon
        {":SOURCEVOLTAGES:LEV 1", {"-112"}, "32"},       // a keyword of 13 letters
        {":SOUR:VOLT:LEV 1000", {"-222"}, "16"},
        {":CALC3:FORM MAX;:CALC:FORM MAX", {"-113"}, "32"},  // numeric suffixes must match
        {":TRIG1:COUN 1;:TRIG:SEQ1:COUN 1;:TRIG:SEQ2:COUN 1", {"-113"}, "32"},
        {":FETCH?", {"-230"}, "16"},
        {":SOUR:VOLT:LEV 1,2;:OUTP", {"-108", "-109"}, "32"},
    };
    for (const Row& row : rows) {
        SimBus bench;
        bench.send(kSmu, "*RST");
        bench.send(kSmu, row.message);
        bench.read(kSmu);  // any reply, read before the next message
        std::vector<std::string> errors;
        for (std::string code = errorCode(bench, kSmu); code != "0";
             code = errorCode(bench, kSmu)) {
            errors.push_back(code);
        }
        EXPECT_EQ(errors, row.errors) << row.message;
        EXPECT_EQ(bench.query(kSmu, "*ESR?"), row.eventRegister) << row.message;
        EXPECT_EQ(bench.query(kSmu, "*ESR?"), "0") << "read clears it: " << row.message;
    }
}

TEST(ScpiSemantics, TheStatusByteSummarisesAndASerialPollTakesTheRequest) {
    QString error;
    auto bench = SimBench::create("noise=0,latency=0", &error);
    SimInstrument* smu = bench->instrument(kSmu);
    const auto query = [&](std::string_view message) {
        bench->send(kSmu, message);
        std::string reply;
        bench->enter(kSmu, 100, &reply);
        return reply;
    };
    EXPECT_EQ(query("*STB?"), "0");
    bench->send(kSmu, "*SRE 16;*IDN?");  // a reply waits: message available asks for service
    EXPECT_EQ(smu->statusByte(), 16 + 64);
    EXPECT_TRUE(smu->requestingService());
    EXPECT_EQ(smu->serialPoll(), 16 + 64);
    EXPECT_FALSE(smu->requestingService());
    EXPECT_EQ(smu->serialPoll(), 16);  // the request was taken; the summary stays
    smu->deviceClear();                // the unread reply goes, the settings stay
    EXPECT_EQ(smu->statusByte(), 0);
    EXPECT_EQ(query("*SRE?"), "16");

    bench->send(kSmu, "*ESE 32;*SRE 32;BOGUS");  // a command error: event summary, error queued
    EXPECT_EQ(query("*STB?"), std::to_string(32 + 64 + 4));
    EXPECT_TRUE(smu->requestingService());
    bench->send(kSmu, "*CLS");
    EXPECT_EQ(query("*STB?"), "0");
    EXPECT_FALSE(smu->requestingService());
}

TEST(ScpiSemantics, TriggerCountsBusTriggersAndTheBufferFeedReadings) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000");
    bench.sendAll(kSmu, {"*RST", ":SOUR:VOLT:LEV 2", ":SENS:CURR:PROT 0.1", ":FORM:ELEM CURR",
                         ":OUTP ON", ":TRIG:COUN 3"});
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "+2.000000E-03,+2.000000E-03,+2.000000E-03");
    bench.sendAll(kSmu, {"*RST", ":ARM:SOUR BUS", ":FORM:ELEM CURR", ":OUTP ON", ":INIT"});
    bench.query(kSmu, ":FETC?");
    EXPECT_EQ(errorCode(bench, kSmu), "-230");  // waiting for the trigger: nothing yet
    bench.send(kSmu, "*TRG");
    EXPECT_EQ(bench.query(kSmu, ":FETC?"), "+0.000000E+00");  // 0 V sourced

    bench.sendAll(kSmu, {"*RST", ":SOUR:VOLT:LEV 1", ":SENS:CURR:PROT 0.1", ":OUTP ON",
                         ":FORM:ELEM VOLT,CURR", ":STAT:MEAS:ENAB 512", "*SRE 1", ":TRAC:CLE",
                         ":TRAC:POIN 2", ":TRAC:FEED:CONT NEXT", ":INIT"});
    EXPECT_EQ(bench.query(kSmu, "*STB?"), "0");  // one reading of two
    bench.send(kSmu, ":SOUR:VOLT:LEV 3;:INIT;:INIT");
    EXPECT_EQ(bench.query(kSmu, "*STB?"), "65");  // full: the third reading is not kept
    EXPECT_EQ(bench.query(kSmu, ":TRAC:FEED:CONT?"), "NEV");
    EXPECT_EQ(bench.query(kSmu, ":TRAC:DATA?"),
              "+1.000000E+00,+1.000000E-03,+3.000000E+00,+3.000000E-03");
    const std::pair<const char*, const char*> statistics[] = {
        {"MEAN", "+2.000000E+00,+2.000000E-03"},
        {"MAX", "+3.000000E+00,+3.000000E-03"},
        {"MIN", "+1.000000E+00,+1.000000E-03"},
        {"PKPK", "+2.000000E+00,+2.000000E-03"},
    };
    for (const auto& [form, expected] : statistics) {
        bench.send(kSmu, std::string(":CALC3:FORM ") + form);
        EXPECT_EQ(bench.query(kSmu, ":CALC3:DATA?"), expected) << form;
    }
}

TEST(ScpiSemantics, ConfigureAndMeasureChooseTheFunction) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000");
    bench.sendAll(kSmu, {"*RST", ":SOUR:VOLT:LEV 0.5", ":SENS:CURR:PROT 0.1", ":FORM:ELEM CURR"});
    EXPECT_EQ(bench.query(kSmu, ":MEAS:CURR?"), "+5.000000E-04");  // the output comes on
    EXPECT_EQ(bench.query(kSmu, ":CONF?"), "\"CURR:DC\"");
    bench.send(kSmu, ":CONF:VOLT");
    EXPECT_EQ(bench.query(kSmu, ":SENS:FUNC?"), "\"VOLT:DC\"");

    const std::pair<const char*, const char*> functions[] = {
        {"VOLT:AC", "+0.00000000E+00"}, {"CURR", "+0.00000000E+00"}, {"FRES", "+9.90000000E+37"},
        {"FREQ", "+0.00000000E+00"},    {"CONT", "+9.90000000E+37"},
    };
    for (const auto& [function, reading] : functions) {
        bench.send(kMultimeter, std::string("CONF:") + function);
        const std::string configured = bench.query(kMultimeter, "CONF?");
        EXPECT_EQ(bench.query(kMultimeter, "FUNC?"), configured);
        EXPECT_EQ(configured.find(function) == 1 || std::string(function) == "CURR", true)
            << configured;
        EXPECT_EQ(bench.query(kMultimeter, "READ?"), reading) << function;
    }
    EXPECT_EQ(bench.query(kMultimeter, "MEAS:TEMP?").substr(0, 1), "+");
    EXPECT_EQ(bench.query(kMultimeter, "CONF?"), "\"TEMP\"");
    EXPECT_EQ(errorCode(bench, kMultimeter), "0");
}

TEST(ScpiSemantics, ACurrentSourceCanDriveTheChosenSample) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000,isource=sample");
    bench.sendAll(kSmu, {"*RST", ":SOUR:FUNC CURR", ":SOUR:CURR:RANG 10mA", ":SOUR:CURR:LEV 1mA",
                         ":SENS:VOLT:PROT 10", ":FORM:ELEM VOLT,CURR", ":OUTP ON"});
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "+1.000000E+00,+1.000000E-03");
    bench.sendAll(kPicoammeter, {"SYST:ZCH OFF", "FORM:ELEM READ"});
    EXPECT_EQ(bench.query(kPicoammeter, "MEAS?"), "+1.000000E-03");  // the same current flows
    bench.send(kSmu, ":SENS:VOLT:PROT 0.5");  // compliance: the voltage stops at its limit
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "+5.000000E-01,+5.000000E-04");

    SimBus tsp("noise=0,latency=0,smu=2636A,sample=resistor:1000,isource=sample");
    tsp.sendAll(26, {"smua.source.func = smua.OUTPUT_DCAMPS", "smua.source.leveli = 2e-3",
                     "smua.source.output = smua.OUTPUT_ON"});
    EXPECT_EQ(tsp.query(26, "print(smua.measure.v(), smua.measure.r())"),
              "2.00000e+00\t1.00000e+03");
    EXPECT_EQ(tsp.query(26, "print(smua.source.leveli, smua.measure.nplc)"),
              "2.00000e-03\t1.00000e+00");
    tsp.send(26, "*BOGUS");  // the common commands keep the status model of SCPI
    EXPECT_EQ(tsp.query(26, "*ESR?"), "32");
    EXPECT_EQ(tsp.query(26, "*STB?"), "4");  // the error waits in the queue
    EXPECT_EQ(tsp.query(26, "print(errorqueue.next())"),
              "-1.13000e+02\tUndefined header\t2.00000e+01\t1.00000e+00");
}

TEST(ScpiSemantics, ASweepStepsThroughItsPointsOneReadingEach) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000,isource=sample");
    bench.sendAll(kSmu,
                  {"*RST", ":SOUR:FUNC CURR", ":SOUR:CURR:RANG 1e-2", ":SENS:VOLT:PROT 20",
                   ":FORM:ELEM VOLT", ":SOUR:CURR:MODE SWE", ":SOUR:CURR:STAR 1mA",
                   ":SOUR:CURR:STOP 4.5mA", ":SOUR:CURR:STEP 1mA", ":TRIG:COUN 4", ":OUTP ON"});
    const std::pair<const char*, const char*> sweeps[] = {
        {":SOUR:SWE:DIR UP", "+1.000000E+00,+2.000000E+00,+3.000000E+00,+4.000000E+00"},
        {":SOUR:SWE:DIR DOWN", "+4.500000E+00,+3.500000E+00,+2.500000E+00,+1.500000E+00"},
        {":SOUR:SWE:DIR UP;SPAC LOG;POIN 3;:TRIG:COUN 3",
         "+1.000000E+00,+2.121320E+00,+4.500000E+00"},
        {":SOUR:SWE:SPAC LIN;:TRIG:COUN 4",
         "+1.000000E+00,+2.750000E+00,+4.500000E+00,+4.500000E+00"},
    };
    for (const auto& [setting, readings] : sweeps) {
        bench.send(kSmu, setting);
        EXPECT_EQ(bench.query(kSmu, ":READ?"), readings) << setting;
    }
    EXPECT_EQ(bench.query(kSmu, ":SOUR:SWE:POIN?"), "3");
    bench.send(kSmu, ":SOUR:CURR:MODE FIX;:SOUR:CURR:LEV 2mA;:TRIG:COUN 1");
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "+2.000000E+00");  // the bias level again
    EXPECT_EQ(errorCode(bench, kSmu), "0");
}
