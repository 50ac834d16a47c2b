// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "SimBus.h"
#include "sim/ActivatedSample.h"
#include "sim/PooleFrenkelSample.h"
#include "text/DecimalParse.h"

using namespace tarvix;
using sim::testing::SimBus;
using text::parseReply;

namespace {

// The 2400 sources 1 V into the I-V sample and reads the current.
double currentAtOneVolt(SimBus& bench) {
    bench.sendAll(24, {"*RST", ":SOUR:FUNC VOLT", ":SOUR:VOLT:RANG 2", ":SENS:CURR:PROT 1e-3",
                       ":FORM:ELEM CURR", ":SOUR:VOLT:LEV 1", ":OUTP ON"});
    return *parseReply(bench.query(24, ":READ?"));
}

}  // namespace

// Both temperature-dependent samples follow the cryostat while it warms: read at 100 K and,
// 20 minutes later, at 300 K, each current is that of its law at the cryostat's temperature.
TEST(TemperatureSamples, FollowTheCryostat) {
    const sim::ActivatedValues activated{0.2, 1000.0};
    const sim::PooleFrenkelSample film;
    const struct {
        const char* sample;
        std::function<double(double)> law;
    } cases[] = {
        {"activated:0.2/1000",
         [&](double kelvin) { return sim::ActivatedSample::current(activated, 1.0, kelvin); }},
        {"nonlinear", [&](double kelvin) { return film.current(1.0, kelvin); }},
    };
    for (const auto& each : cases) {
        double seconds = 0.0;
        SimBus bench(QStringLiteral("noise=0,latency=0,temp=100..300@10,sample=") + each.sample,
                     [&seconds] { return seconds; });
        const double cold = currentAtOneVolt(bench);
        seconds = 20 * 60;
        const double warm = currentAtOneVolt(bench);
        EXPECT_NEAR(cold, each.law(100.0), each.law(100.0) * 1e-6) << each.sample;
        EXPECT_NEAR(warm, each.law(300.0), each.law(300.0) * 1e-6) << each.sample;
        EXPECT_GT(warm, cold) << each.sample;
    }
}

// The activated law itself, and the Poole-Frenkel film unchanged at its reference temperature
// (the currents the bench has always drawn at 295 K) with beta falling as 1/T.
TEST(TemperatureSamples, LawsAtKnownPoints) {
    const sim::ActivatedValues values{0.2, 1000.0};
    const double kT = sim::kBoltzmannEv * 200.0;
    EXPECT_DOUBLE_EQ(sim::ActivatedSample::current(values, 2.0, 200.0),
                     2.0 / 1000.0 * std::exp(-0.2 / kT));
    const sim::PooleFrenkelSample film;
    const auto& p = film.parameters();
    const double atReference = 1.0 / p.ohmicResistance + p.emissionScale * std::expm1(film.beta());
    EXPECT_DOUBLE_EQ(film.current(1.0), atReference);
    EXPECT_DOUBLE_EQ(film.current(1.0, 295.0), atReference);
    EXPECT_NEAR(film.beta(147.5), 2 * film.beta(), 1e-12);
    EXPECT_DOUBLE_EQ(film.current(-1.0, 200.0), -film.current(1.0, 200.0));
    EXPECT_LT(film.current(1.0, 200.0), atReference);
}
