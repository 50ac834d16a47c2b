// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "lcr/FreqSweep.h"
#include "plot/PlotSession.h"
#include "plot/RecordSource.h"
#include "plot/SweepSource.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::plot {
namespace {

// A four-probe record warming by a degree a minute, against temperature and against time,
// with a missing reading that breaks the line and is passed over by the readout.
TEST(RecordSource, ResistanceAgainstTemperatureAndTime) {
    auto record = std::make_unique<thermo::ThermoRecord>();
    record->startRun(thermo::ThermoRunKind::FourProbe);
    for (int k = 1; k <= 11; ++k) {
        record->thermoTemp[k] = -5.0 + k;
        record->thermoResistance[k] = k == 6 ? NAN : 1000.0 + 10.0 * k;
        record->thermoTime[k] = 0.5 + (k - 1) * 60.0 / 86400.0;
        record->thermoCount = k;
    }
    RecordSource temperature(*record, RecordSource::Against::Temperature);
    RecordSource time(*record, RecordSource::Against::Time);
    EXPECT_EQ(axisTitle(temperature.xQuantity(), false), "Temperature (°C)");
    EXPECT_EQ(axisTitle(temperature.yQuantity(), false), "Resistance (Ω)");
    EXPECT_EQ(axisTitle(time.xQuantity(), false), "Time (s)");
    PlotSession session(time);
    session.refresh();
    ASSERT_EQ(session.series().size(), 1u);
    EXPECT_EQ(session.series()[0].points(), 11);
    EXPECT_NEAR(session.series()[0].segments[0].x[10], 600.0, 1e-3);
    const PlotFrame frame = session.frame(QSize(600, 400));
    const auto hit = session.nearest(frame, {frame.x.pixel(120.0), frame.y.pixel(1030.0)}, 1e9);
    ASSERT_TRUE(hit);
    EXPECT_EQ(session.pointText(*hit), "Sample 3: T = −2.000 °C, R = 1.030 kΩ, t = 120.0 s");

    const std::uint64_t before = temperature.stamp();
    record->startRun(thermo::ThermoRunKind::FourProbe);
    EXPECT_NE(temperature.stamp(), before);
    EXPECT_TRUE(temperature.series().empty());
}

TEST(SweepSource, PrimaryAgainstFrequencyOnALogAxisButNoTestCurve) {
    auto sweep = std::make_unique<lcr::FreqSweep>();
    sweep->primaryCode = QStringLiteral("CP");
    for (int i = 1; i <= 5; ++i) {
        sweep->sweepFreq[i] = std::pow(10.0, i);
        sweep->sweepPrimary[i] = 1e-9 / i;
    }
    sweep->sweepCount = 5;
    SweepSource source(*sweep);
    EXPECT_EQ(source.title(), "Capacitance (parallel) against frequency");
    PlotSession session(source);
    session.refresh();
    const PlotView view = session.view();
    EXPECT_TRUE(view.x.log);
    EXPECT_LE(view.x.low, 10.0);
    EXPECT_GE(view.x.high, 1e5);
    EXPECT_EQ(axisTitle(session.yQuantity(), false), "Capacitance (parallel) (F)");
    EXPECT_EQ(session.pointText({0, 0, 1, 0.0}),
              "Point 2: f = 100.0 Hz, Capacitance (parallel) = 500.0 pF");
    EXPECT_EQ(axisTitle(SweepSource::quantityOf(QStringLiteral("P")), false), "Phase angle (°)");
    source.setMeasured(false);
    session.refresh();
    EXPECT_TRUE(session.series().empty());
}

}  // namespace
}  // namespace tarvix::plot
