// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QSet>
#include <cmath>

#include "LcrTestBench.h"
#include "lcr/LcrControls.h"
#include "lcr/LcrPanel.h"
#include "lcr/MeasuredParameters.h"

namespace tarvix::lcr {
namespace {

TEST(LcrControls, LabelsShowTheScrollBarPositions) {
    EXPECT_EQ(fminLabel(10), "Fmin=10 [Hz]");
    EXPECT_EQ(fmaxLabel(2000000), "Fmax=2000000 [Hz]");
    EXPECT_EQ(pointCountLabel(20), "Number=20");
    EXPECT_EQ(acLevelLabel(500), "AC=500 [mV]");
}

TEST(LcrControls, AcLevelSnapsToTheNearestFiveMillivolts) {
    EXPECT_EQ(snapAcLevel(23), 25);
    EXPECT_EQ(snapAcLevel(22), 20);
    EXPECT_EQ(snapAcLevel(20), 20);
    EXPECT_EQ(snapAcLevel(998), 1000);
}

TEST(LcrControls, PresetButtonsMapToTheirValues) {
    EXPECT_EQ(fmaxPresetForButton(61), 1000);
    EXPECT_EQ(fmaxPresetForButton(64), 1000000);
    EXPECT_EQ(triggerDelayForButton(65), 0);
    EXPECT_EQ(triggerDelayForButton(68), 1000);
    EXPECT_EQ(biasModeForButton(69), 2);
    EXPECT_EQ(biasModeForButton(71), 0);
    EXPECT_EQ(speedForButton(74), MeasuringSpeed::VerySlow);
    EXPECT_EQ(speedForButton(0), MeasuringSpeed::Unset);
    EXPECT_FALSE(fmaxPresetForButton(65));
}

TEST(MeasuredParameters, EveryButtonOfBothGroupsHasOneCode) {
    QSet<QString> primaries;
    QSet<QString> secondaries;
    for (const MeasuredParameter& parameter : measuredParameters()) {
        if (parameter.primaryButton) {
            primaries.insert(parameter.primaryButton);
        }
        if (parameter.secondaryButton) {
            secondaries.insert(parameter.secondaryButton);
        }
    }
    for (int number = 23; number <= 38; ++number) {
        EXPECT_TRUE(primaries.contains(QStringLiteral("RadioButton%1").arg(number))) << number;
    }
    for (int number = 39; number <= 54; ++number) {
        EXPECT_TRUE(secondaries.contains(QStringLiteral("RadioButton%1").arg(number))) << number;
    }
    EXPECT_EQ(primaries.size(), 16);
    EXPECT_EQ(secondaries.size(), 16);
    EXPECT_EQ(primaryCodeForButton("RadioButton23"), "A");
    EXPECT_EQ(secondaryCodeForButton("RadioButton39"), "N");
    EXPECT_EQ(primaryCodeForButton("RadioButton35"), "Q");
    EXPECT_EQ(secondaryCodeForButton("RadioButton47"), "ESR");
    EXPECT_EQ(primaryCodeForButton("RadioButton39"), QString());
    EXPECT_EQ(QString::fromUtf8(measuredParameters()[12].caption), "(б) Phase Angle ");
}

TEST(TestCurve, FillsAThousandPointsFromTenToAThousandHertz) {
    for (const bool logGrid : {true, false}) {
        FreqSweep sweep;
        loadTestCurve(sweep, logGrid);
        EXPECT_EQ(sweep.sweepCount, 1000);
        EXPECT_DOUBLE_EQ(sweep.sweepFreq[1], 10);
        EXPECT_DOUBLE_EQ(sweep.sweepFreq[1000], 1000);
        // Not rounded to the 2 decimals a sweep sends.
        EXPECT_NE(sweep.sweepFreq[2], std::round(sweep.sweepFreq[2] * 100) / 100);
        const double f = sweep.sweepFreq[500];
        EXPECT_DOUBLE_EQ(sweep.sweepPrimary[500], 1.6333e-6 * std::cos(2 * M_PI * f / 100));
        EXPECT_DOUBLE_EQ(sweep.sweepSecondary[500],
                         10.45 * std::sin(2 * M_PI * f / 100) * std::sin(5 * M_PI * f / 100));
        const auto [low, high] =
            std::minmax_element(sweep.sweepPrimary.begin() + 1, sweep.sweepPrimary.begin() + 1001);
        EXPECT_EQ(sweep.primaryMin, *low);
        EXPECT_EQ(sweep.primaryMax, *high);
        EXPECT_EQ(sweep.Fmin, 10);
        EXPECT_EQ(sweep.Fmax, 1000);
    }
    FreqSweep logSweep;
    loadTestCurve(logSweep, true);
    EXPECT_NEAR(logSweep.sweepFreq[3] / logSweep.sweepFreq[2],
                logSweep.sweepFreq[2] / logSweep.sweepFreq[1], 1e-12);
}

TEST(TestCurve, ExtremesStartNearZeroForASmallCurve) {
    FreqSweep sweep;
    loadTestCurve(sweep, true);
    // The secondary swings by about 10, beyond its starting extremes of -1e-10 and 2e-10.
    EXPECT_LT(sweep.secondaryMin, -1);
    EXPECT_GT(sweep.secondaryMax, 1);
}

TEST(FrequencyViewSelection, PrimaryOverSecondaryTurnsAroundAtTheEndOfASweep) {
    FreqSweep sweep;
    loadTestCurve(sweep, true);
    PlotSet plot;
    selectFrequencyView(plot, sweep, FrequencyView::PrimaryFromSecondary,
                        ViewSelection::ViewChange);
    EXPECT_EQ(plot.plotY, sweep.sweepPrimary);
    EXPECT_EQ(plot.plotX, sweep.sweepSecondary);
    EXPECT_EQ(plot.yMin, sweep.primaryMin);
    EXPECT_EQ(plot.xMax, sweep.secondaryMax);
    selectFrequencyView(plot, sweep, FrequencyView::PrimaryFromSecondary,
                        ViewSelection::EndOfSweep);
    EXPECT_EQ(plot.plotY, sweep.sweepSecondary);
    EXPECT_EQ(plot.plotX, sweep.sweepPrimary);
    EXPECT_EQ(plot.yMin, sweep.secondaryMin);
    EXPECT_EQ(plot.xMax, sweep.primaryMax);
    EXPECT_EQ(plot.yText, "Seco");
    EXPECT_EQ(plot.xText, "Prim");

    selectFrequencyView(plot, sweep, FrequencyView::SecondaryFromFrequency,
                        ViewSelection::EndOfSweep);
    EXPECT_EQ(plot.plotX, sweep.sweepFreq);
    EXPECT_EQ(plot.xMin, 10);
    EXPECT_EQ(plot.xMax, 1000);
    EXPECT_EQ(plot.yMax, sweep.secondaryMax);
}

TEST(LcrPanel, ViewChangesDrawAndHandTheChartToTheWindow) {
    testing::RecordingHost host;
    LcrPanel panel(host);
    panel.loadTestCurve(true);
    EXPECT_EQ(panel.chart().size(), QSize(969, 409));
    panel.showView(FrequencyView::SecondaryFromFrequency, ChartOptions{});
    EXPECT_EQ(panel.plotSet().yText, "Seco");
    EXPECT_EQ(host.chartsShown, 1);
    EXPECT_EQ(host.eventRuns, 1);
    EXPECT_EQ(host.lastChart, panel.chart());
    const QImage linear = panel.chart();
    panel.redraw(ChartOptions{true, true});
    EXPECT_EQ(host.chartsShown, 2);
    EXPECT_NE(panel.chart(), linear);
    EXPECT_EQ(panel.plotSet().yText, "Seco");
}

}  // namespace
}  // namespace tarvix::lcr
