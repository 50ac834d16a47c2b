// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "buses/createBus.h"
#include "sim/SimOptions.h"

using namespace tarvix;
using sim::parseSimOptions;

TEST(SimOptions, EmptyTextGivesTheDefaultBench) {
    QString error;
    const auto options = parseSimOptions("", &error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->smu, sim::SmuModel::k2400);
    EXPECT_EQ(options->smuAddress(), 24);
    EXPECT_EQ(options->latencyMs, 2);
    EXPECT_GT(options->noiseScale, 0.0);
    EXPECT_FALSE(options->resistorOhms);
    EXPECT_FALSE(options->lcr);
    EXPECT_FALSE(options->currentThroughSample);
    EXPECT_DOUBLE_EQ(options->temperature.temperatureAfter(3600), 295.0);
}

TEST(SimOptions, ReadsEveryOption) {
    QString error;
    const auto options = parseSimOptions(
        "smu=2636A,absent=14/16,noise=0,latency=0,fail=send:4,fail=enter:24,fail=enter:16,"
        "sample=resistor:1e6,temp=300..77@10,lcr=rc:2e6/1e-10,seed=5,isource=sample",
        &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->smu, sim::SmuModel::k2636A);
    EXPECT_EQ(options->smuAddress(), 26);
    EXPECT_EQ(options->absent, (std::set<int>{14, 16}));
    EXPECT_EQ(options->noiseScale, 0.0);
    EXPECT_EQ(options->latencyMs, 0);
    EXPECT_EQ(options->failSend, std::set<int>{4});
    EXPECT_EQ(options->failEnter, (std::set<int>{16, 24}));
    EXPECT_EQ(*options->resistorOhms, 1e6);
    EXPECT_EQ(options->lcr->ohms, 2e6);
    EXPECT_EQ(options->lcr->farads, 1e-10);
    EXPECT_EQ(options->seed, 5u);
    EXPECT_TRUE(options->currentThroughSample);
    EXPECT_TRUE(parseSimOptions("smu=2410", &error));
    EXPECT_TRUE(parseSimOptions("smu=2636a,temp=77", &error));
    const auto activated = parseSimOptions("sample=resistor:5,sample=activated:0.2/1e3", &error);
    ASSERT_TRUE(activated) << error.toStdString();
    EXPECT_FALSE(activated->resistorOhms);  // the last sample named is the one on the bench
    EXPECT_EQ(activated->activated->activationEv, 0.2);
    EXPECT_EQ(activated->activated->ohmsAtInfinity, 1e3);
}

TEST(SimOptions, TemperatureProgramRampsAndHolds) {
    QString error;
    const auto cooling = parseSimOptions("temp=300..77@10", &error)->temperature;
    EXPECT_DOUBLE_EQ(cooling.temperatureAfter(0), 300.0);
    EXPECT_DOUBLE_EQ(cooling.temperatureAfter(60), 290.0);
    EXPECT_DOUBLE_EQ(cooling.temperatureAfter(90), 285.0);
    EXPECT_DOUBLE_EQ(cooling.temperatureAfter(1e6), 77.0);
    const auto warming = parseSimOptions("temp=77..300@1.5", &error)->temperature;
    EXPECT_DOUBLE_EQ(warming.temperatureAfter(120), 80.0);
    EXPECT_DOUBLE_EQ(warming.temperatureAfter(1e6), 300.0);
}

TEST(SimOptions, RejectsBadTextNamingTheOption) {
    const char* const bad[] = {
        "colour=red",
        "smu=2500",
        "absent=31",
        "absent=x",
        "noise=-1",
        "latency=-1",
        "latency=fast",
        "fail=read:24",
        "fail=send",
        "fail=send:99",
        "sample=resistor:-5",
        "sample=diode",
        "temp=0",
        "temp=300..77",
        "temp=300..77@0",
        "temp=300..77@-1",
        "lcr=rc:1e6",
        "lcr=rl:1/1",
        "lcr=rc:0/1e-9",
        "seed=-3",
        "smu",
        "sample=activated:0.2",
        "sample=activated:-0.1/1000",
        "sample=activated:6/1000",
        "sample=activated:0.2/0",
    };
    for (const char* text : bad) {
        QString error;
        EXPECT_FALSE(parseSimOptions(QString("noise=0,") + text, &error)) << text;
        EXPECT_TRUE(error.contains(text)) << error.toStdString();
    }
    EXPECT_FALSE(parseSimOptions("smu=2500", nullptr));  // no error text asked for
}

TEST(SimOptions, TheBusRegistryPassesTheErrorOn) {
    QString error;
    EXPECT_FALSE(buses::createBus("sim:latency=soon", &error));
    EXPECT_TRUE(error.contains("latency=soon"));
    EXPECT_TRUE(buses::createBus("sim:noise=0,latency=0,", &error));
    EXPECT_TRUE(buses::createBus("sim", &error));
}
