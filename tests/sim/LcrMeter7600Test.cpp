// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "SimBus.h"
#include "sim/LcrQuantity.h"
#include "text/DecimalParse.h"

using tarvix::sim::testing::SimBus;
using tarvix::text::parseDecimal;

namespace {

constexpr int kLcr = 4;

// The program's reading of a FETC? reply: the primary between the first two tabs; the
// secondary between the fourth and fifth, only when the first run of three tabs begins
// after the third tab.
struct Fields {
    std::optional<double> primary;
    std::optional<double> secondary;
};

Fields parseFetch(const std::string& reply) {
    std::vector<std::size_t> tabs;
    for (std::size_t i = 0; i < reply.size(); ++i) {
        if (reply[i] == '\t') {
            tabs.push_back(i);
        }
    }
    Fields fields;
    if (tabs.size() >= 2) {
        fields.primary = parseDecimal(reply.substr(tabs[0] + 1, tabs[1] - tabs[0] - 1));
    }
    const std::size_t run = reply.find("\t\t\t");
    if (run != std::string::npos && tabs.size() >= 5 && tabs[2] < run) {
        fields.secondary = parseDecimal(reply.substr(tabs[3] + 1, tabs[4] - tabs[3] - 1));
    }
    return fields;
}

std::string measure(SimBus& bench) {
    bench.send(kLcr, "MEAS:");
    return bench.query(kLcr, "FETC?", 160);
}

// The sweep's configuration, as the program sends it.
void configure(SimBus& bench, std::string_view primary, std::string_view secondary) {
    bench.sendAll(kLcr, {"*RST", "CONF:FREQ 1000.00"});
    bench.send(kLcr, "CONF:PPAR " + std::string(primary));
    bench.send(kLcr, "CONF:SPAR " + std::string(secondary));
    bench.sendAll(kLcr, {"CONF:AVER 1", "CONF:BIAS OFF", "CONF:TDEL 5", "CONF:ACV 0.500"});
}

constexpr double kOhms = 1e6;
constexpr double kFarads = 1e-9;
const QString kRcOptions = "noise=0,latency=0,lcr=rc:1e6/1e-9";

}  // namespace

TEST(LcrMeter7600, FetchLayoutWithoutSecondary) {
    SimBus bench(kRcOptions);
    configure(bench, "CP", "N");
    const std::string reply = measure(bench);
    EXPECT_EQ(reply, "CP\t1.00000E-09\tF\t\t\t");
    const Fields fields = parseFetch(reply);
    EXPECT_DOUBLE_EQ(*fields.primary, 1e-9);
    EXPECT_FALSE(fields.secondary);
}

TEST(LcrMeter7600, FetchLayoutWithSecondary) {
    SimBus bench(kRcOptions);
    configure(bench, "CP", "RP");
    const std::string reply = measure(bench);
    EXPECT_EQ(reply, "CP\t1.00000E-09\tF\tRP\t1.00000E+06\tOhm\t\t\t");
    const Fields fields = parseFetch(reply);
    EXPECT_DOUBLE_EQ(*fields.primary, 1e-9);
    EXPECT_DOUBLE_EQ(*fields.secondary, 1e6);
    // A dimensionless pair still parses by the same rule.
    configure(bench, "DF", "Q");
    const Fields ratios = parseFetch(measure(bench));
    EXPECT_NEAR(*ratios.primary * *ratios.secondary, 1.0, 1e-5);
}

TEST(LcrMeter7600, ParametersFollowTheParallelRcFormulas) {
    SimBus bench(kRcOptions);
    for (const double hertz : {10.0, 1000.0, 100000.0}) {
        const double omega = 2 * std::numbers::pi * hertz;
        const double dissipation = 1 / (omega * kOhms * kFarads);
        const double magnitude = kOhms / std::hypot(1.0, omega * kOhms * kFarads);
        const std::pair<const char*, double> expected[] = {
            {"CP", kFarads},
            {"RP", kOhms},
            {"DF", dissipation},
            {"Q", 1 / dissipation},
            {"CS", kFarads * (1 + dissipation * dissipation)},
            {"Z", magnitude},
            {"GP", 1 / kOhms},
            {"BP", omega * kFarads},
            {"Y", 1 / magnitude},
            {"P", -std::atan(omega * kOhms * kFarads) * 180 / std::numbers::pi},
            {"RS", magnitude * magnitude / kOhms},
            {"ESR", magnitude * magnitude / kOhms},
            {"XS", -omega * kFarads * magnitude * magnitude},
            {"LP", -1 / (omega * omega * kFarads)},
        };
        for (const auto& [code, value] : expected) {
            configure(bench, code, "N");
            bench.send(kLcr, "CONF:FREQ " + std::to_string(hertz));
            const std::string reply = measure(bench);
            EXPECT_EQ(reply.substr(0, reply.find('\t')), code);
            EXPECT_NEAR(*parseFetch(reply).primary, value, std::abs(value) * 1e-5)
                << code << " at " << hertz << " Hz: " << reply;
        }
    }
}

TEST(LcrMeter7600, AutomaticReportsRpForResistiveAndCpForCapacitive) {
    SimBus bench(kRcOptions);
    configure(bench, "A", "N");
    bench.send(kLcr, "CONF:FREQ  10.00");  // wR C = 0.063: resistive
    EXPECT_EQ(measure(bench).substr(0, 3), "RP\t");
    bench.send(kLcr, "CONF:FREQ 100000.00");  // wRC = 628: capacitive
    EXPECT_EQ(measure(bench).substr(0, 3), "CP\t");
    const auto inductor = tarvix::sim::lcrQuantity("A", {0.0, 50.0}, 1000);
    EXPECT_EQ(inductor->code, "CP");
    EXPECT_LT(inductor->value, 0);
}

TEST(LcrMeter7600, ByDefaultReadsTheCryostatSampleAfterReset) {
    SimBus bench;
    bench.sendAll(kLcr, {"*RST", "CONF:MAC MED"});
    const std::string reply = measure(bench);
    EXPECT_EQ(reply.substr(0, 3), "RP\t");
    EXPECT_EQ(reply.substr(reply.size() - 3), "\t\t\t");
    EXPECT_NEAR(*parseFetch(reply).primary, 20e3, 0.5);  // 295 K, 1 kHz, 100 pF in parallel
}

TEST(LcrMeter7600, AnswersItsSettings) {
    SimBus bench(kRcOptions);
    configure(bench, "LS", "DF");
    bench.sendAll(kLcr, {"CONF:FREQ  10.00", "CONF:MAC SLO", "CONF:BIAS INT"});
    EXPECT_EQ(bench.query(kLcr, "CONF:FREQ?"), "10.00");
    EXPECT_EQ(bench.query(kLcr, "CONF:PPAR?"), "LS");
    EXPECT_EQ(bench.query(kLcr, "CONF:SPAR?"), "DF");
    EXPECT_EQ(bench.query(kLcr, "CONF:MAC?"), "SLO");
    EXPECT_EQ(bench.query(kLcr, "CONF:BIAS?"), "INT");
    EXPECT_EQ(bench.query(kLcr, "CONF:TDEL?"), "5");
    EXPECT_EQ(bench.query(kLcr, "CONF:ACV?"), "0.500");
    bench.sendAll(kLcr, {"CONF:FREQ 5", "CONF:PPAR N", "CONF:SPAR A"});
    for (const char* error : {"-222", "-224", "-224"}) {
        EXPECT_EQ(bench.query(kLcr, "SYST:ERR?").substr(0, 4), error);
    }
    EXPECT_EQ(bench.query(kLcr, "CONF:FREQ?"), "10.00");
}

TEST(LcrMeter7600, SlowModeReportsItsThreePassesBeforeTheFetch) {
    SimBus bench(kRcOptions);
    configure(bench, "CP", "N");
    bench.send(kLcr, "CONF:MAC SLO");
    bench.send(kLcr, "MEAS:");
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(bench.read(kLcr, 160), "CP\t1.00000E-09\tF\t\t\t");
    }
    EXPECT_EQ(bench.query(kLcr, "FETC?", 160), "CP\t1.00000E-09\tF\t\t\t");
    EXPECT_EQ(bench.query(kLcr, "SYST:ERR?"), "0,\"No error\"");
}

TEST(LcrMeter7600, FetchBeforeAnyMeasurementHasNoData) {
    SimBus bench(kRcOptions);
    bench.send(kLcr, "*RST");
    bench.query(kLcr, "FETC?", 160);
    EXPECT_NE(bench.status(), 0);
    EXPECT_EQ(bench.query(kLcr, "SYST:ERR?"), "-230,\"Data corrupt or stale\"");
}
