#include <gtest/gtest.h>

#include <tuple>

#include "series/IvChart.h"
#include "series/IvChartTestData.h"
#include "series/SeriesStore.h"

using namespace tarvix::series;
using namespace tarvix::series::testdata;

namespace {

enum class StoreKind { Empty, OneSeries, ManyLabelled, AllSegmentsDense };
enum class RangeKind { Symmetric, Shifted, FlatVoltage, FlatCurrent };

IvChartRanges rangesFor(RangeKind kind) {
    switch (kind) {
        case RangeKind::Symmetric:
            return {-1.5e-5, 1.5e-5, -2.0, 2.0};
        case RangeKind::Shifted:
            return {-1e-5, 3.1e-5, -1.0, 2.1};
        case RangeKind::FlatVoltage:
            return {-1.5e-5, 1.5e-5, 1.0, 1.0};
        case RangeKind::FlatCurrent:
            return {0.0, 0.0, -2.0, 2.0};
    }
    return {};
}

void fillStore(SeriesStore& store, StoreKind kind) {
    switch (kind) {
        case StoreKind::Empty:
            break;
        case StoreKind::OneSeries:
            fillStoredSeries(store, 1, 60, false);
            break;
        case StoreKind::ManyLabelled:
            fillStoredSeries(store, 25, 80, true);
            break;
        case StoreKind::AllSegmentsDense:
            fillStoredSeries(store, 3, 2000, true);
            // An empty series between full ones, as a voltage sweep leaves behind.
            for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
                store.storedCurrent(segment, 2)[0] = 0.0f;
            }
            break;
    }
}

// Draws with a caching chart and a chart that renders from scratch, and compares.
class ChartPair {
  public:
    ChartPair() { reference_.setCachingEnabled(false); }

    void expectSame(const SeriesStore& store, const IvChartRanges& ranges,
                    const IvChartOptions& options, const char* step) {
        const auto cachedLabel = cached_.drawIvChart(
            IvChart::currentCaption(), IvChart::voltageCaption(), ranges, options, store, nullptr);
        const auto referenceLabel = reference_.drawIvChart(
            IvChart::currentCaption(), IvChart::voltageCaption(), ranges, options, store, nullptr);
        EXPECT_EQ(differingPixels(cached_.ivBitmap(), reference_.ivBitmap()), 0) << step;
        EXPECT_EQ(cachedLabel, referenceLabel) << step;
    }
    const IvChart& cached() const { return cached_; }

  private:
    IvChart cached_{kPaintBox};
    IvChart reference_{kPaintBox};
};

class IvChartCacheIdentity
    : public ::testing::TestWithParam<std::tuple<StoreKind, RangeKind, bool, bool, bool>> {};

TEST_P(IvChartCacheIdentity, CachedDrawingMatchesADrawingFromScratch) {
    const auto [storeKind, rangeKind, logScale, joinPoints, showStored] = GetParam();
    SeriesStore store;
    fillStore(store, storeKind);
    const IvChartRanges ranges = rangesFor(rangeKind);
    IvChartOptions options;
    options.logScale = logScale;
    options.joinPoints = joinPoints;
    options.showStored = showStored;
    ChartPair charts;
    charts.expectSame(store, ranges, options, "no live run");
    const int buildsBefore = charts.cached().storedLayerBuilds();

    // The live run retraces series 1's last segment, so its points and the newest-point
    // marker lie on stored pixels.
    for (const int points : {1, 7, 40}) {
        fillLiveSegment(store, 1, points, -2.0f, -2.0f + 0.1f * points, 1.1f);
        charts.expectSame(store, ranges, options, "live run growing");
    }
    fillLiveSegment(store, 5, 25, 2.0f, -0.5f, 1.1f);
    charts.expectSame(store, ranges, options, "marker on a later segment");
    options.segmentFinished = true;
    charts.expectSame(store, ranges, options, "segment finished");
    options.manualVoltage = 0.7f;
    options.cursorVoltage = -0.3f;
    options.cursorLineShown = true;
    charts.expectSame(store, ranges, options, "cursor lines");
    EXPECT_EQ(charts.cached().storedLayerBuilds(), buildsBefore)
        << "the live run and the cursors leave the stored layer alone";

    // A write through the store's writable accessors moves its revision.
    store.storedVoltage(3, 1)[2] = 0.1f;
    store.storedCurrent(3, 1)[2] = -3e-6f;
    store.storedCurrent(3, 1)[0] = std::max(store.storedCurrent(3, 1)[0], 2.0f);
    store.seriesCount = std::max(store.seriesCount, 1);
    charts.expectSame(store, ranges, options, "stored layer changed");
    if (showStored) {
        EXPECT_GT(charts.cached().storedLayerBuilds(), buildsBefore);
    }
    store.seriesCount -= 1;
    charts.expectSame(store, ranges, options, "one series fewer");
}

INSTANTIATE_TEST_SUITE_P(
    StoresRangesAndOptions, IvChartCacheIdentity,
    ::testing::Combine(::testing::Values(StoreKind::Empty, StoreKind::OneSeries,
                                         StoreKind::ManyLabelled, StoreKind::AllSegmentsDense),
                       ::testing::Values(RangeKind::Symmetric, RangeKind::Shifted,
                                         RangeKind::FlatVoltage, RangeKind::FlatCurrent),
                       ::testing::Bool(), ::testing::Bool(), ::testing::Bool()));

// One chart through a run of changes: every input of a kept layer must invalidate it.
TEST(IvChartCacheTest, EveryChangeOfAnInputRedrawsTheKeptLayers) {
    SeriesStore store;
    fillStoredSeries(store, 6, 300, true);
    fillLiveSegment(store, 2, 50, -1.0f, 1.0f, 1.2f);
    IvChartOptions options;
    IvChartRanges ranges = rangesFor(RangeKind::Symmetric);
    ChartPair charts;
    charts.expectSame(store, ranges, options, "start");
    options.logScale = false;
    charts.expectSame(store, ranges, options, "linear");
    options.joinPoints = false;
    charts.expectSame(store, ranges, options, "points only");
    ranges = rangesFor(RangeKind::Shifted);
    charts.expectSame(store, ranges, options, "shifted");
    ranges.currentMax = 6e-5;
    charts.expectSame(store, ranges, options, "taller");
    ranges.voltageMin = -0.0;  // a different tick text from 0
    ranges.voltageMax = 3.0;
    charts.expectSame(store, ranges, options, "negative zero");
    ranges.voltageMin = 0.0;
    charts.expectSame(store, ranges, options, "zero");
    options.showStored = false;
    charts.expectSame(store, ranges, options, "stored hidden");
    options.showStored = true;
    charts.expectSame(store, ranges, options, "stored shown again");
    store.clearStored(store.seriesCount);
    charts.expectSame(store, ranges, options, "stored cleared");
    fillStoredSeries(store, 2, 100, false);
    charts.expectSame(store, ranges, options, "refilled");
    store.clearLive();
    charts.expectSame(store, ranges, options, "live cleared");
}

TEST(IvChartCacheTest, DrawingsFromOtherChartsInTheBitmapAreReplaced) {
    SeriesStore store;
    fillStoredSeries(store, 2, 100, false);
    const IvChartRanges ranges = rangesFor(RangeKind::Symmetric);
    ChartPair charts;
    IvChart chart(kPaintBox);
    chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges, {}, store,
                      nullptr);
    const QImage first = chart.ivBitmap().copy();
    chart.ivBitmap().fill(Qt::blue);  // as the analysis draws its own chart into it
    chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges, {}, store,
                      nullptr);
    EXPECT_EQ(differingPixels(chart.ivBitmap(), first), 0);
    chart.ivBitmap() = QImage(10, 10, QImage::Format_RGB32);
    chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges, {}, store,
                      nullptr);
    EXPECT_EQ(differingPixels(chart.ivBitmap(), first), 0);
}

}  // namespace
