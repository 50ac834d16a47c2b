// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "LcrTestBench.h"
#include "buses/createBus.h"
#include "lcr/LcrPanel.h"

namespace tarvix::lcr {
namespace {

// A whole sweep against the simulated bench, whose meter holds 10 kOhm parallel to 1 nF.
TEST(SimulatedMeter, SweepReadsTheParallelCapacitanceAndResistance) {
    testing::InTemporaryFolder folder;
    testing::RecordingHost host;
    bus::BusTranscript transcript;
    QString error;
    const auto bus =
        buses::createBus("sim:noise=0,latency=0,lcr=rc:10000/1e-9", &error, &transcript);
    ASSERT_TRUE(bus) << error.toStdString();
    LcrPanel panel(host);
    SweepSettings settings;
    settings.pointCount = 5;
    settings.fmax = 100000;
    settings.primaryCode = "CP";
    settings.secondaryCode = "RP";
    const SweepReport report = panel.runSweep(*bus, settings);

    EXPECT_EQ(report.outcome, SweepReport::Outcome::Completed);
    EXPECT_EQ(report.unreadableReadings, 0);
    EXPECT_TRUE(host.messages.isEmpty()) << host.messages.join('|').toStdString();
    const FreqSweep& sweep = panel.sweep();
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(sweep.sweepPrimary[static_cast<size_t>(i)], 1e-9, 1e-12) << i;
        EXPECT_NEAR(sweep.sweepSecondary[static_cast<size_t>(i)], 10000, 10) << i;
    }
    EXPECT_EQ(folder.read("7600 test.frq").count("  F[Hz]  "), 5);
    EXPECT_EQ(panel.plotSet().yText, "Prim");
}

}  // namespace
}  // namespace tarvix::lcr
