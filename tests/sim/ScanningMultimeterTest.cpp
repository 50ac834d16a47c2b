// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "SimBus.h"
#include "text/DecimalParse.h"

using tarvix::sim::testing::SimBus;
using tarvix::text::parseReply;

namespace {

constexpr int kMeter = 16;

// The program's inversion of the thermocouple law, from a voltage and a reference.
double thermocoupleKelvin(double volts, double referenceKelvin) {
    const double a = 3.357102e-08, b = 1.598381e-05, c = 0.003823111, d = -3.8928e-05;
    const double discriminant = b * b - 4 * a * (d * referenceKelvin + c - volts);
    return discriminant >= 0 ? (std::sqrt(discriminant) - b) / (2 * a) : -1;
}

// One four-probe sample's multimeter exchanges: thermocouple volts, then the reference.
std::pair<double, double> sample(SimBus& bench, std::string_view channelCommand) {
    bench.sendAll(kMeter, {"FUNC \"VOLT:DC\""});
    bench.send(kMeter, channelCommand);
    const double volts = *parseReply(bench.query(kMeter, ":READ?"));
    bench.sendAll(kMeter, {":rout:open:all", "FUNC \"TEMP\"", "rout:clos (@1)"});
    const double reference = *parseReply(bench.query(kMeter, ":READ?"));
    return {volts, reference};
}

void setUpMeter(SimBus& bench) {
    bench.sendAll(
        kMeter, {"*RST", "FUNC \"TEMP\"", "unit:temp K", "temp:rjun:rsel real", "rout:clos (@1)"});
}

}  // namespace

TEST(ScanningMultimeter, ThermocoupleVoltageInvertsToTheCryostatTemperature) {
    SimBus bench("noise=0,latency=0,temp=150");
    setUpMeter(bench);
    const auto [volts, reference] = sample(bench, "rout:clos (@7)");
    EXPECT_EQ(reference, 295.0);
    EXPECT_NEAR(thermocoupleKelvin(volts, reference), 150.0, 1e-6);
    EXPECT_EQ(bench.query(kMeter, ":READ?"), "+2.95000000E+02");
    const auto [volts12, reference12] = sample(bench, "rout:clos (@12)");
    EXPECT_EQ(volts12, volts);
    EXPECT_EQ(reference12, reference);
}

TEST(ScanningMultimeter, ReadsTheTypeKThermocoupleOnChannelTwo) {
    SimBus bench("noise=0,latency=0,temp=77");
    bench.sendAll(kMeter, {"*RST", "FUNC \"TEMP\"", "temp:tc:type k", ":rout:clos (@2)"});
    EXPECT_EQ(bench.status(), 0);
    EXPECT_NEAR(*parseReply(bench.query(kMeter, ":READ?")), 77 - 273.15, 1e-9);  // *RST: C
    EXPECT_EQ(bench.query(kMeter, "UNIT:TEMP?"), "C");
    bench.send(kMeter, "UNIT:TEMP K");
    EXPECT_EQ(bench.query(kMeter, ":READ?"), "+7.70000000E+01");
    bench.send(kMeter, ":rout:open:all");
    EXPECT_EQ(bench.query(kMeter, ":READ?"), "+9.90000000E+37");  // open input
    EXPECT_EQ(bench.query(kMeter, "ROUT:CLOS?"), "(@)");
    EXPECT_EQ(bench.query(kMeter, "SYST:ERR?"), "0,\"No error\"");
}

TEST(ScanningMultimeter, CryostatRampsWithTheInjectedClock) {
    double seconds = 1000.0;
    SimBus bench("noise=0,latency=0,temp=300..80@2", [&seconds] { return seconds; });
    setUpMeter(bench);
    const auto kelvinNow = [&] {
        const auto [volts, reference] = sample(bench, "rout:clos (@7)");
        return thermocoupleKelvin(volts, reference);
    };
    EXPECT_NEAR(kelvinNow(), 300.0, 1e-6);
    seconds += 30 * 60;
    EXPECT_NEAR(kelvinNow(), 240.0, 1e-6);
    seconds += 1e5;
    EXPECT_NEAR(kelvinNow(), 80.0, 1e-6);
}

TEST(ScanningMultimeter, TheCryostatSampleFollowsTheTemperature) {
    double seconds = 0.0;
    SimBus bench("noise=0,latency=0,temp=295..395@1", [&seconds] { return seconds; });
    bench.sendAll(24, {"*RST", ":SOUR:FUNC CURR", ":SOUR:CURR:RANG 1e-5",
                       ":SOUR:CURR:LEV  3.00000000000000E-0006", ":SENS:VOLT:PROT 50",
                       ":FORM:ELEM VOLT", ":OUTP ON"});
    const double warm = *parseReply(bench.query(24, ":READ?")) / 3e-6;
    seconds = 6000.0;  // 100 minutes later: 395 K
    const double hot = *parseReply(bench.query(24, ":READ?")) / 3e-6;
    EXPECT_NEAR(warm, 20e3, 0.1);
    EXPECT_LT(hot, warm / 2);  // a thermistor: the resistance falls as it warms
    EXPECT_GT(hot, 1e3);
}

TEST(ScanningMultimeter, AColdCryostatStaysMeasurable) {
    SimBus bench("noise=0,latency=0,temp=0.01");
    bench.sendAll(24, {":SOUR:FUNC CURR", ":SOUR:CURR:LEV 0", ":SENS:VOLT:PROT 50",
                       ":FORM:ELEM VOLT", ":OUTP ON"});
    EXPECT_EQ(bench.query(24, ":READ?"), "+0.000000E+00");
    bench.send(24, ":SOUR:CURR:LEV 1e-6");
    EXPECT_EQ(bench.query(24, ":READ?"), "+5.000000E+01");  // in compliance
}
