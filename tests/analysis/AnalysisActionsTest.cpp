// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

#include "FakeAnalysisHost.h"
#include "analysis/AnalysisActions.h"
#include "series/ChartCanvas.h"
#include "text/Cp1251.h"

using namespace tarvix::analysis;
using tarvix::analysis::testing::FakeAnalysisHost;
using tarvix::analysis::testing::storeSegment;
using tarvix::series::SeriesStore;

namespace {

class AnalysisActionsTest : public ::testing::Test {
  protected:
    AnalysisActionsTest()
        : store(std::make_unique<SeriesStore>()),
          chart(tarvix::series::makeChartImage(500, 400)),
          actions(state, {*store, chart, voltageMin, voltageMax, manualVoltage, cursorVoltage},
                  host) {}

    void select(const char* segment, const char* series) {
        host.texts["Edit46"] = segment;
        host.texts["Edit47"] = series;
    }
    QString label(const char* name) const { return host.texts.value(name); }
    QString utf8(const char* text) const { return QString::fromUtf8(text); }

    std::unique_ptr<SeriesStore> store;
    QImage chart;
    double voltageMin = -5;
    double voltageMax = 5;
    float manualVoltage = 0;
    float cursorVoltage = 0;
    FakeAnalysisHost host;
    AnalysisState state;
    AnalysisActions actions;
};

}  // namespace

TEST_F(AnalysisActionsTest, OhmsLawFitsTheResistanceAndDrawsTheStraightenedPoints) {
    // 2 kOhm, both branches: the negative one folds onto the positive one.
    storeSegment(*store, 1, 1,
                 {{-1.0f, -0.5e-3f}, {0.0f, 0.0f}, {0.5f, 0.25e-3f}, {1.0f, 0.5e-3f}});
    const QImage before = chart;
    actions.straighten(Mechanism::Ohm);
    EXPECT_TRUE(host.messages.isEmpty());
    EXPECT_EQ(state.analysisSegment, 1);
    EXPECT_EQ(state.fitCount, 3);
    EXPECT_NEAR(state.fitSlope, 0.5e-3, 1e-10);  // float currents
    EXPECT_EQ(state.scatterText, "0");
    EXPECT_EQ(label("Label17"), utf8("разброс точек: 0%"));
    EXPECT_NEAR(state.ohmResistance, 2000, 1e-3);
    EXPECT_EQ(label("Label27"), "2000 Om");
    EXPECT_FLOAT_EQ(state.plotXMax, 1.1f);
    EXPECT_EQ(state.plotXMin, 0.0f);
    EXPECT_NE(chart, before);
    EXPECT_EQ(host.chartsShown, 1);
    EXPECT_EQ(host.eventRuns, 1);
    // The window labels read "0": the chart's range became the voltage window.
    EXPECT_EQ(manualVoltage, -5.0f);
    EXPECT_EQ(cursorVoltage, 5.0f);
}

TEST_F(AnalysisActionsTest, SeriesAbove50AreRefusedByTheStraighteningsOnly) {
    storeSegment(*store, 1, 51, {{1.0f, 1e-6f}, {2.0f, 3e-6f}});
    select("1", "51");
    actions.straighten(Mechanism::SpaceCharge);
    EXPECT_EQ(host.messages, QStringList{utf8("неверные занчения S1 или S2")});
    ASSERT_EQ(host.ivRedraws.size(), 1u);
    EXPECT_EQ(host.ivRedraws[0], (std::array<double, 4>{-1, 1, -1, 1}));
    EXPECT_EQ(state.fitCount, 0);

    host.messages.clear();
    actions.showInitialChart();
    EXPECT_TRUE(host.messages.isEmpty());
    EXPECT_EQ(state.analysisSeries, 51);
    EXPECT_EQ(state.fitX[1], 2.0);
    EXPECT_FLOAT_EQ(state.plotYMax, 3.3e-6f);
    EXPECT_EQ(host.eventRuns, 1);
}

TEST_F(AnalysisActionsTest, BadNumbersAnEmptySegmentAndAnEmptyWindowEachSaySo) {
    select("9", "1");
    actions.straighten(Mechanism::PooleFrenkel);
    select("x1", "1");
    actions.straighten(Mechanism::PooleFrenkel);
    select("2", "1");
    actions.straighten(Mechanism::PooleFrenkel);
    EXPECT_EQ(host.messages,
              QStringList({utf8("наверные значения S1 или S2"), "'x1' is not a valid integer value",
                           utf8("в файле нет значений с указанными номерами")}));
    EXPECT_EQ(host.ivRedraws.size(), 2u);  // not after the conversion error

    // A window that takes no point: its own message, its label emptied, the chart kept.
    storeSegment(*store, 2, 1, {{1.0f, 1e-6f}, {2.0f, 2e-6f}});
    host.texts["Label16"] = "old";
    host.texts["Label23"] = "3";
    manualVoltage = 3.0f;
    host.messages.clear();
    const QImage before = chart;
    actions.straighten(Mechanism::PooleFrenkel);
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].startsWith(utf8("в выбранной области нет точек\n")));
    EXPECT_EQ(label("Label16"), "");
    EXPECT_EQ(chart, before);
}

TEST_F(AnalysisActionsTest, AFailedSeriesConversionKeepsTheSegmentReadBeforeIt) {
    select("3", "");
    actions.straighten(Mechanism::Ohm);
    EXPECT_EQ(host.messages, QStringList{"'' is not a valid integer value"});
    EXPECT_EQ(state.analysisSegment, 3);
    EXPECT_EQ(state.analysisSeries, 0);
}

TEST_F(AnalysisActionsTest, OnePointOrOneVoltageReportsThatNoLineExists) {
    storeSegment(*store, 1, 1, {{1.0f, 1e-6f}, {-1.0f, -3e-6f}});
    actions.straighten(Mechanism::Ohm);
    EXPECT_FALSE(state.fitDefined);
    EXPECT_EQ(label("Label17"), utf8("прямая не определена: все точки при одном напряжении"));
    EXPECT_EQ(label("Label27"), utf8("не определено"));
    EXPECT_EQ(state.ohmResistance, 0.0);
    EXPECT_EQ(host.chartsShown, 1);  // the points are still drawn
}

TEST_F(AnalysisActionsTest, AStraightenedYOfZeroLeavesTheScatterUndefined) {
    // Poole-Frenkel: ln(|I|/|V|) is 0 where |I| = |V|.
    storeSegment(*store, 1, 1, {{1.0f, 1.0f}, {2.0f, 8.0f}, {4.0f, 64.0f}});
    actions.straighten(Mechanism::PooleFrenkel);
    EXPECT_TRUE(state.fitDefined);
    EXPECT_EQ(label("Label16"), utf8("разброс точек: не определён (есть Y = 0)"));
    EXPECT_FALSE(label("Label16").contains("nan", Qt::CaseInsensitive));
    EXPECT_FALSE(label("Label16").contains("inf", Qt::CaseInsensitive));
}

TEST_F(AnalysisActionsTest, InitialChartChecksTheStoreBoundsAndStopsAnAnimation) {
    host.delay = 40;
    select("1", "151");
    actions.showInitialChart();
    EXPECT_EQ(host.delay, 0);
    EXPECT_EQ(host.messages,
              QStringList{utf8("нет таких номеров: Sweep (1..8), Sweep numer (1..150)")});
    EXPECT_EQ(host.chartsShown, 0);

    // An empty segment draws the frame with zero ranges.
    select("8", "150");
    actions.showInitialChart();
    EXPECT_EQ(host.chartsShown, 1);
    EXPECT_EQ(state.plotXMax, 0.0f);
    int red = 0;
    for (int x = 60; x < chart.width(); ++x) {
        EXPECT_NE(chart.pixel(x, 10), tarvix::series::kWhite) << x;
        red += chart.pixel(x, 10) == tarvix::series::kRed ? 1 : 0;
    }
    EXPECT_GE(red, 14);
}

TEST_F(AnalysisActionsTest, InitialChartKeepsSignsZerosAndTheStraighteningsCount) {
    storeSegment(*store, 1, 1, {{1.0f, 1e-6f}, {2.0f, 2e-6f}});
    actions.straighten(Mechanism::Ohm);
    storeSegment(*store, 5, 2, {{0.5f, -1e-6f}, {2.0f, 0.0f}, {0.0f, -4e-6f}});
    select("5", "2");
    actions.showInitialChart();
    EXPECT_EQ(state.fitCount, 2);
    EXPECT_EQ(state.fitY[2], double(-4e-6f));
    EXPECT_FLOAT_EQ(state.plotXMax, 2.2f);
    EXPECT_EQ(state.plotXMin, 0.0f);
    EXPECT_FLOAT_EQ(state.plotYMin, -4.4e-6f);
    EXPECT_EQ(state.plotYMax, 0.0f);
}

TEST_F(AnalysisActionsTest, TheAnimationDelayFlashesEveryPoint) {
    storeSegment(*store, 1, 1, {{1.0f, 1e-6f}, {2.0f, 2e-6f}, {3.0f, 3e-6f}});
    host.delay = 25;
    actions.straighten(Mechanism::Ohm);
    EXPECT_EQ(host.sleeps, (std::vector<int>{25, 25, 25}));
    EXPECT_EQ(host.eventRuns, 4);
}

TEST_F(AnalysisActionsTest, StopDuringTheFlashEndsItAtOnce) {
    storeSegment(*store, 1, 1, {{1.0f, 1e-6f}, {2.0f, 2e-6f}, {3.0f, 3e-6f}});
    host.delay = 25;
    host.onEvents = [&] { host.delay = 0; };  // Stop clicked at the first point
    actions.straighten(Mechanism::Ohm);
    EXPECT_TRUE(host.sleeps.empty());
    EXPECT_EQ(host.eventRuns, 2);  // the first point's flash and the one after drawing
    EXPECT_EQ(label("Label17"), utf8("разброс точек: 0%"));
}

TEST_F(AnalysisActionsTest, AClickWhileAnotherLetsEventsRunIsIgnored) {
    storeSegment(*store, 1, 1, {{1.0f, 1e-6f}, {2.0f, 2e-6f}, {3.0f, 3e-6f}});
    storeSegment(*store, 2, 1, {{1.0f, 5e-6f}, {2.0f, 6e-6f}});
    bool nested = false;
    host.onEvents = [&] {
        if (!nested) {
            nested = true;
            select("2", "1");
            actions.straighten(Mechanism::Schottky);
        }
    };
    actions.straighten(Mechanism::Ohm);
    EXPECT_EQ(state.analysisSegment, 1);
    EXPECT_EQ(state.fitCount, 3);
    EXPECT_EQ(label("Label17"), utf8("разброс точек: 0%"));
    EXPECT_EQ(label("Label22"), "");
}

TEST_F(AnalysisActionsTest, SavesBeforeAnySelectionSaySoAndOpenNoDialog) {
    actions.saveStraightened(Mechanism::Tunnel);
    actions.saveMeasuredSegment();
    EXPECT_EQ(host.messages.size(), 2);
    EXPECT_EQ(host.messages[0],
              utf8("сначала выберите сегмент и серию: спрямление или initial grafik"));
    EXPECT_TRUE(host.dialogs.isEmpty());
}

TEST_F(AnalysisActionsTest, AStraightenedSaveReselectsWithTheCurrentWindowAndAppendsKtl) {
    QTemporaryDir dir;
    storeSegment(*store, 1, 1, {{1.0f, 1e-6f}, {2.0f, 2e-6f}, {3.0f, 3e-6f}});
    actions.straighten(Mechanism::Ohm);
    // The window moves before the save: the save takes the points under the new window, but
    // quotes the label of the analysis.
    host.texts["Label24"] = "2";
    cursorVoltage = 2.0f;
    host.answers.push_back(dir.filePath("x.KTL"));
    actions.saveStraightened(Mechanism::Ohm);
    EXPECT_EQ(host.dialogs, QStringList{utf8("Результаты Keithley 2410 | Keithley (*.ktl)|*.ktl")});
    EXPECT_EQ(state.fitCount, 2);
    QFile file(dir.filePath("x.KTL.ktl"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = tarvix::text::fromCp1251(file.readAll()).split("\r\n");
    EXPECT_EQ(lines[3], utf8("спрямление по закону Ома, разброс точек = разброс точек: 0%"));
    EXPECT_EQ(lines[5], "Volt(U)   Ampere (I)  Series 1-1");
    EXPECT_EQ(lines[7], "2");
}

TEST_F(AnalysisActionsTest, ACancelledSaveStillRefillsTheWorkArrays) {
    storeSegment(*store, 3, 4, {{1.0f, 1e-6f}, {4.0f, 2e-6f}});
    select("3", "4");
    actions.showInitialChart();
    actions.saveStraightened(Mechanism::PooleFrenkel);
    EXPECT_EQ(state.fitCount, 2);
    EXPECT_DOUBLE_EQ(state.fitX[1], 2.0);
    EXPECT_TRUE(host.messages.isEmpty());
}

TEST_F(AnalysisActionsTest, SaveErrorsShowTheRuntimeText) {
    QTemporaryDir dir;
    storeSegment(*store, 1, 1, {{1.0f, 1e-6f}});
    actions.showInitialChart();
    host.answers.push_back(dir.filePath("no/such/folder/m"));
    actions.saveMeasuredSegment();
    EXPECT_EQ(host.messages, QStringList{"File not found"});

    host.answers.push_back(dir.filePath("all"));
    actions.saveAllSeries();
    EXPECT_EQ(host.dialogs.last(), "Save in to format - linear and log | KTH (*.*)|*.*");
    EXPECT_TRUE(QFile::exists(dir.filePath("all")));
    EXPECT_TRUE(QFile::exists(dir.filePath("all_log")));
    EXPECT_FALSE(QFile::exists(dir.filePath("all.ktl")));
}
