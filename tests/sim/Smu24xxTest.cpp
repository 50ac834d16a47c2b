// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "SimBus.h"
#include "text/DecimalParse.h"

using tarvix::sim::testing::SimBus;
using tarvix::text::parseReply;

namespace {

constexpr int kSmu = 24;

// The set-up the voltage sweep sends, with numbers in the program's fixed form.
void setUpVoltageSweep(SimBus& bench, const char* compliance) {
    bench.sendAll(kSmu, {"*RST", ":SOUR:FUNC VOLT", ":SOUR:VOLT:MODE FIXED",
                         ":SOUR:VOLT:RANG  2.00000000000000E+0000"});
    bench.send(kSmu, std::string(":SENS:CURR:PROT ") + compliance);
    bench.sendAll(kSmu, {":FORM:ELEM CURR", ":SOUR:VOLT:LEV  1.00000000000000E+0000", ":OUTP ON"});
}

double current(SimBus& bench) {
    bench.sendAll(kSmu, {":SENS:FUNC \"CURR\"", ":FORM:ELEM CURR"});
    return parseReply(bench.query(kSmu, ":READ?")).value_or(NAN);
}

}  // namespace

TEST(Smu24xx, ReadsTheCurrentOfAResistorExactly) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000000");
    setUpVoltageSweep(bench, " 2.00000000000000E-0006");
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "+1.000000E-06");
    bench.send(kSmu, ":SOUR:VOLT:LEV -5.00000000000000E-0001");
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "-5.000000E-07");
    bench.send(kSmu, ":FORM:ELEM VOLT");
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "-5.000000E-01");
    EXPECT_EQ(bench.query(kSmu, ":SYST:ERR?"), "0,\"No error\"");
}

TEST(Smu24xx, ClipsTheCurrentAtTheCompliance) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000");
    setUpVoltageSweep(bench, " 2.00000000000000E-0006");
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "+2.000000E-06");
    bench.send(kSmu, ":SOUR:VOLT:LEV -1.00000000000000E+0000");
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "-2.000000E-06");
    // In compliance the unit limits its voltage to what drives the compliance current.
    bench.send(kSmu, ":FORM:ELEM VOLT,CURR");
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "-2.000000E-03,-2.000000E-06");
}

// Each row: the output and auto output-off before a message, what it answers ("" for
// nothing), the error it queues, and the output after it. :MEASure? switches the output on,
// as its :CONFigure part does.
TEST(Smu24xx, ReadingsNeedTheOutputOnOrAutoOutputOff) {
    struct Row {
        const char* setup;
        const char* message;
        const char* reply;
        const char* error;
        const char* outputAfter;
    };
    const Row rows[] = {
        {":OUTP OFF", ":READ?", "", "+803,\"Not permitted with OUTPUT off\"", "0"},
        {":OUTP OFF", ":INIT;:FETC?", "", "+803,\"Not permitted with OUTPUT off\"", "0"},
        {":OUTP OFF", ":MEAS?", "+1.000000E-03", "0,\"No error\"", "1"},
        {":OUTP OFF", ":MEAS:CURR?", "+1.000000E-03", "0,\"No error\"", "1"},
        {":OUTP ON", ":READ?", "+1.000000E-03", "0,\"No error\"", "1"},
        {":OUTP ON", ":INIT;:FETC?", "+1.000000E-03", "0,\"No error\"", "1"},
        {":OUTP OFF;:SOUR:CLE:AUTO ON", ":READ?", "+1.000000E-03", "0,\"No error\"", "0"},
        {":OUTP OFF;:SOUR:CLE:AUTO ON", ":INIT;:FETC?", "+1.000000E-03", "0,\"No error\"", "0"},
        {":OUTP ON;:SOUR:CLE:AUTO ON", ":READ?", "+1.000000E-03", "0,\"No error\"", "0"},
        {":OUTP OFF;:SOUR:CLE:AUTO ON", ":MEAS?", "+1.000000E-03", "0,\"No error\"", "0"},
    };
    SimBus bench("noise=0,latency=0,sample=resistor:1000");
    for (const Row& row : rows) {
        bench.sendAll(kSmu, {"*RST;*CLS", ":SOUR:VOLT:LEV 1;:SENS:CURR:PROT 0.1;:FORM:ELEM CURR"});
        bench.send(kSmu, row.setup);
        const std::string reply = bench.query(kSmu, row.message);
        if (*row.reply == '\0') {
            EXPECT_NE(bench.status(), 0) << row.setup << " " << row.message;  // a time-out
        } else {
            EXPECT_EQ(reply, row.reply) << row.setup << " " << row.message;
        }
        EXPECT_EQ(bench.query(kSmu, ":SYST:ERR?"), row.error) << row.setup << " " << row.message;
        EXPECT_EQ(bench.query(kSmu, ":OUTP?"), row.outputAfter) << row.setup << " " << row.message;
    }
    // +803 is an execution error, and the unit stays usable once the output is on.
    bench.sendAll(kSmu, {"*RST;*CLS", ":READ?"});
    EXPECT_EQ(bench.query(kSmu, "*ESR?"), "16");
    bench.send(kSmu, ":OUTP ON");
    EXPECT_EQ(bench.query(kSmu, ":READ?").substr(0, 1), "+");
}

// Each row: a source set-up on the 1 kOhm resistor, then what the two TRIPped? queries and
// the measurement condition register (bit 14, compliance) answer.
TEST(Smu24xx, TrippedAndTheConditionRegisterSayWhetherTheSourceSitsAtItsLimit) {
    struct Row {
        const char* setup;
        const char* currentTripped;
        const char* voltageTripped;
        const char* condition;
    };
    const Row rows[] = {
        {":SOUR:VOLT:LEV 1;:SENS:CURR:PROT 1e-3;:OUTP ON", "0", "0", "0"},  // exactly at it
        {":SOUR:VOLT:LEV 1;:SENS:CURR:PROT 0.999e-3;:OUTP ON", "1", "0", "16384"},
        {":SOUR:VOLT:LEV -1;:SENS:CURR:PROT 0.999e-3;:OUTP ON", "1", "0", "16384"},
        {":SOUR:VOLT:LEV 1;:SENS:CURR:PROT 0.999e-3;:OUTP OFF", "0", "0", "0"},
        {":SOUR:FUNC CURR;:SOUR:CURR:RANG 1e-2;:SOUR:CURR:LEV 1e-3;:SENS:VOLT:PROT 1;:OUTP ON", "0",
         "0", "0"},
        {":SOUR:FUNC CURR;:SOUR:CURR:RANG 1e-2;:SOUR:CURR:LEV 1e-3;:SENS:VOLT:PROT 0.999;:OUTP ON",
         "0", "1", "16384"},
        {":SOUR:FUNC CURR;:SOUR:CURR:RANG 1e-2;:SOUR:CURR:LEV -1e-3;:SENS:VOLT:PROT 0.999;:OUTP ON",
         "0", "1", "16384"},
    };
    SimBus bench("noise=0,latency=0,sample=resistor:1000,isource=sample");
    for (const Row& row : rows) {
        bench.sendAll(kSmu, {"*RST", row.setup});
        EXPECT_EQ(bench.query(kSmu, ":SENS:CURR:PROT:TRIP?"), row.currentTripped) << row.setup;
        EXPECT_EQ(bench.query(kSmu, ":SENS:VOLT:PROT:TRIP?"), row.voltageTripped) << row.setup;
        EXPECT_EQ(bench.query(kSmu, ":STAT:MEAS:COND?"), row.condition) << row.setup;
    }
    EXPECT_EQ(bench.query(kSmu, ":SYST:ERR?"), "0,\"No error\"");
}

// Compliance coming on is latched in the measurement event register, which can request
// service; the condition follows the source.
TEST(Smu24xx, ComplianceIsAMeasurementEvent) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000");
    bench.sendAll(kSmu, {"*RST;*CLS", ":STAT:MEAS:ENAB 16384;*SRE 1", ":SOUR:VOLT:LEV 1",
                         ":SENS:CURR:PROT 1e-4", ":OUTP ON"});
    EXPECT_EQ(bench.query(kSmu, "*STB?"), "65");
    bench.send(kSmu, ":OUTP OFF");  // out of compliance: the event stays until read
    EXPECT_EQ(bench.query(kSmu, ":STAT:MEAS:COND?"), "0");
    EXPECT_EQ(bench.query(kSmu, ":STAT:MEAS?"), "16384");
    EXPECT_EQ(bench.query(kSmu, ":STAT:MEAS?"), "0");
    bench.sendAll(kSmu, {":OUTP ON", "*CLS"});  // still in compliance: no new event
    EXPECT_EQ(bench.query(kSmu, ":STAT:MEAS?"), "0");
    EXPECT_EQ(bench.query(kSmu, ":STAT:MEAS:COND?"), "16384");
}

// Each row: a setting after *RST with the output on at 0 V, and the bits it sets and clears
// in the STATus element of a reading.
TEST(Smu24xx, TheStatusWordCarriesEveryBitOfTheInstrumentsState) {
    constexpr int kAfterReset = (1 << 2) | (1 << 10) | (1 << 12) | (1 << 14);
    struct Row {
        const char* setting;
        int set;
        int cleared;
    };
    const Row rows[] = {
        {"", 0, 0},
        {":SENS:AVER ON", 1 << 1, 0},
        {":ROUT:TERM REAR", 0, 1 << 2},
        {":SOUR:VOLT:LEV 1;:SENS:CURR:PROT 1e-4", 1 << 3, 0},
        {":SENS:RES:MODE MAN", 0, 1 << 10},
        {":SENS:FUNC 'VOLT'", 1 << 11, 0},
        {":SENS:FUNC:OFF 'CURR'", 0, 1 << 12},
        {":SENS:FUNC 'RES'", 1 << 13, 0},
        {":SOUR:FUNC CURR", 1 << 15, 1 << 14},
        {":SENS:RES:OCOM ON", 1 << 17, 0},
        {":SYST:RSEN ON", 1 << 22, 0},
    };
    SimBus bench("noise=0,latency=0,sample=resistor:1000");
    for (const Row& row : rows) {
        bench.sendAll(kSmu, {"*RST", ":FORM:ELEM STAT", row.setting, ":OUTP ON"});
        const double word = parseReply(bench.query(kSmu, ":READ?")).value_or(NAN);
        EXPECT_EQ(word, (kAfterReset | row.set) & ~row.cleared) << row.setting;
    }
    EXPECT_EQ(bench.query(kSmu, ":SYST:ERR?"), "0,\"No error\"");
}

TEST(Smu24xx, TheDefaultSampleIsOhmicLowAndPooleFrenkelHigh) {
    SimBus bench;
    setUpVoltageSweep(bench, " 2.00000000000000E-0006");
    const auto at = [&](double volts) {
        bench.send(kSmu, ":SOUR:VOLT:LEV " + std::to_string(volts));
        return current(bench);
    };
    EXPECT_NEAR(at(0.5), 0.2e-6, 0.1e-6);
    EXPECT_NEAR(at(2.0), 1.25e-6, 0.25e-6);
    EXPECT_DOUBLE_EQ(at(-2.0), -at(2.0));
    // Ohmic at low voltage: the current doubles with the voltage.
    EXPECT_NEAR(at(0.02) / at(0.01), 2.0, 0.05);
    // Poole-Frenkel at high voltage: the conductance grows with the voltage.
    EXPECT_GT(at(2.0) / 2.0, 2.0 * at(0.5) / 0.5);
}

TEST(Smu24xx, NoiseIsSmallAndRepeatableForOneSeed) {
    const auto readings = [](const QString& options) {
        SimBus bench(options);
        setUpVoltageSweep(bench, " 2.00000000000000E-0006");
        std::vector<std::string> values;
        for (int i = 0; i < 5; ++i) {
            values.push_back(bench.query(kSmu, ":READ?"));
        }
        return values;
    };
    const auto first = readings("latency=0,seed=11");
    EXPECT_EQ(first, readings("latency=0,seed=11"));
    EXPECT_NE(first, readings("latency=0,seed=12"));
    EXPECT_NE(first[0], first[1]);
    const double exact = *parseReply(readings("latency=0,noise=0")[0]);
    EXPECT_NEAR(*parseReply(first[0]), exact, exact * 1e-3);
}

TEST(Smu24xx, AnswersTheSettingsItTook) {
    SimBus bench;
    bench.sendAll(kSmu, {"*RST", ":SOURce:FUNCtion CURRent", ":SOUR:CURR:MODE FIXED",
                         ":SOUR:CURR:RANG  2.00000000000000E-0002", ":SENS:VOLT:PROT 50",
                         ":sens:curr:prot 1e-3", ":SYST:RSEN ON", ":FORM:ELEM VOLT,RES",
                         ":SOURce:CURRent:LEVel:IMMediate:AMPLitude 0.01"});
    EXPECT_EQ(bench.query(kSmu, ":SOUR:FUNC?"), "CURR");
    EXPECT_EQ(bench.query(kSmu, ":SOUR:CURR:MODE?"), "FIX");
    EXPECT_EQ(bench.query(kSmu, ":SOUR:CURR:RANG?"), "+1.000000E-01");  // 2400: no 20 mA range
    EXPECT_EQ(bench.query(kSmu, ":SOUR:CURR:LEV?"), "+1.000000E-02");
    EXPECT_EQ(bench.query(kSmu, ":SENS:VOLT:PROT?"), "+5.000000E+01");
    EXPECT_EQ(bench.query(kSmu, ":SENS:CURR:PROT?"), "+1.000000E-03");
    EXPECT_EQ(bench.query(kSmu, ":SYST:RSEN?"), "1");
    EXPECT_EQ(bench.query(kSmu, ":FORM:ELEM?"), "VOLT,RES");
    bench.send(kSmu, ":SENS:FUNC \"VOLT\"");
    EXPECT_EQ(bench.query(kSmu, ":SENS:FUNC?"), "\"VOLT:DC\",\"CURR:DC\"");
    bench.send(kSmu, "*RST");
    EXPECT_EQ(bench.query(kSmu, ":SOUR:FUNC?"), "VOLT");
    EXPECT_EQ(bench.query(kSmu, ":SOUR:VOLT:LEV?"), "+0.000000E+00");
    EXPECT_EQ(bench.query(kSmu, ":SOUR:VOLT:RANG?"), "+2.000000E+01");
    EXPECT_EQ(bench.query(kSmu, ":OUTP?"), "0");
}

TEST(Smu24xx, RangesFollowTheModel) {
    SimBus bench2400;
    bench2400.send(kSmu, ":SOUR:VOLT:RANG  1.50000000000000E+0002");
    EXPECT_EQ(bench2400.query(kSmu, ":SOUR:VOLT:RANG?"), "+2.000000E+02");
    bench2400.send(kSmu, ":SOUR:VOLT:RANG  1.00000000000000E+0003");
    EXPECT_EQ(bench2400.query(kSmu, ":SYST:ERR?"), "-222,\"Parameter data out of range\"");
    SimBus bench2410("noise=0,latency=0,smu=2410");
    bench2410.send(kSmu, ":SOUR:VOLT:RANG  1.50000000000000E+0002");
    EXPECT_EQ(bench2410.query(kSmu, ":SOUR:VOLT:RANG?"), "+1.000000E+03");
    // A level beyond the range is refused and the old level stays.
    bench2410.sendAll(kSmu, {":SOUR:VOLT:RANG 2", ":SOUR:VOLT:LEV 1", ":SOUR:VOLT:LEV 5"});
    EXPECT_EQ(bench2410.query(kSmu, ":SOUR:VOLT:LEV?"), "+1.000000E+00");
    EXPECT_EQ(bench2410.query(kSmu, ":SYST:ERR?"), "-222,\"Parameter data out of range\"");
}

TEST(Smu24xx, MeasuresTheResistanceOfTheSample) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000");
    bench.sendAll(kSmu, {"*RST", "FUNC \"RES\"", ":FORM:ELEM RES", ":OUTP ON"});
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "+1.000000E+03");
    // Auto output-off: the output comes on for the reading and goes off again.
    bench.sendAll(kSmu, {":OUTP OFF", ":SOUR:CLE:AUTO ON"});
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "+1.000000E+03");
    EXPECT_EQ(bench.query(kSmu, ":OUTP?"), "0");
}

TEST(Smu24xx, SourcingCurrentMeasuresTheCryostatSample) {
    SimBus bench("noise=0,latency=0,sample=resistor:1000");
    bench.sendAll(kSmu, {"*RST", ":SYST:RSEN ON", ":SOUR:FUNC CURR", ":SOUR:CURR:MODE FIXED",
                         ":SENS:FUNC \"VOLT\"", ":SOUR:CURR:RANG  1.00000000000000E-0005",
                         ":SOUR:CURR:LEV  3.00000000000000E-0006", ":SENS:VOLT:PROT 50",
                         ":FORM:ELEM VOLT", ":OUTP ON"});
    const double volts = *parseReply(bench.query(kSmu, ":READ?"));
    EXPECT_NEAR(volts / 3e-6, 20e3, 1.0);  // the thermistor at 295 K, not the resistor
    // A voltage compliance below the sample's voltage clips it.
    bench.send(kSmu, ":SENS:VOLT:PROT 0.01");
    EXPECT_EQ(bench.query(kSmu, ":READ?"), "+1.000000E-02");
}
