// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "series/IvChart.h"
#include "series/IvChartTestData.h"
#include "series/SeriesStore.h"

using namespace tarvix::series;
using namespace tarvix::series::testdata;

namespace {

enum class StoreKind { Empty, OneSeries, ManyLabelled, WildValues, AllSegmentsDense };
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
        case StoreKind::WildValues: {
            // Values a file may hold: without a height, beyond the window, exactly zero.
            fillStoredSeries(store, 2, 80, false);
            float* current = store.storedCurrent(1, 1);
            current[10] = std::nanf("");
            current[11] = std::numeric_limits<float>::infinity();
            current[12] = 0.0f;
            current[13] = -1e30f;
            store.storedVoltage(2, 1)[20] = std::nanf("");
            store.storedVoltage(3, 2)[5] = 1e30f;
            store.storedCurrent(4, 2)[7] = std::nanf("");
            store.storedCurrent(4, 2)[8] = std::nanf("");
            break;
        }
        case StoreKind::AllSegmentsDense:
            fillStoredSeries(store, 3, 2000, true);
            // An empty series between full ones, as a voltage sweep leaves behind.
            for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
                store.storedCurrent(segment, 2)[0] = 0.0f;
            }
            break;
    }
}

// Stored points that crowd into one pixel column are drawn at the picture's resolution,
// which may leave out side pixels of the points between the column's extremes; where no
// more than two points in a row share a column the pictures must be the same.
int allowedDifference(StoreKind kind) {
    return kind == StoreKind::AllSegmentsDense ? 250 : 0;
}

// Draws with a caching chart and a chart that renders from scratch, and compares.
class ChartPair {
  public:
    explicit ChartPair(int allowedDifference = 0) : allowed_(allowedDifference) {
        reference_.setCachingEnabled(false);
    }

    void expectSame(const SeriesStore& store, const IvChartRanges& ranges,
                    const IvChartOptions& options, const char* step) {
        const auto cachedLabel = cached_.drawIvChart(
            IvChart::currentCaption(), IvChart::voltageCaption(), ranges, options, store, nullptr);
        const auto referenceLabel = reference_.drawIvChart(
            IvChart::currentCaption(), IvChart::voltageCaption(), ranges, options, store, nullptr);
        const int differing = differingPixels(cached_.ivBitmap(), reference_.ivBitmap());
        EXPECT_GE(differing, 0) << step;
        EXPECT_LE(differing, allowed_) << step;
        EXPECT_EQ(cachedLabel, referenceLabel) << step;
    }
    IvChart& cached() { return cached_; }

  private:
    int allowed_;
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
    ChartPair charts(allowedDifference(storeKind));
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
    const int addedBefore = charts.cached().storedSeriesAdded();
    charts.expectSame(store, ranges, options, "stored layer changed");
    if (showStored) {  // drawn anew, or over the layer when series 1 was empty
        EXPECT_GT(charts.cached().storedLayerBuilds() + charts.cached().storedSeriesAdded(),
                  buildsBefore + addedBefore);
    }
    store.seriesCount -= 1;
    charts.expectSame(store, ranges, options, "one series fewer");
}

INSTANTIATE_TEST_SUITE_P(
    StoresRangesAndOptions, IvChartCacheIdentity,
    ::testing::Combine(::testing::Values(StoreKind::Empty, StoreKind::OneSeries,
                                         StoreKind::ManyLabelled, StoreKind::WildValues,
                                         StoreKind::AllSegmentsDense),
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
    ChartPair charts(20);  // 300 points a segment: a few columns hold more than two
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

// Every change of the store a measurement or an option makes, and whether the stored layer
// may keep what it drew: series added after the last drawn one are drawn over it, anything
// that changes a series it shows draws it anew. The picture always matches one from scratch.
TEST(IvChartCacheTest, TheStoredLayerIsDrawnAnewOnlyWhenASeriesItShowsChanged) {
    SeriesStore store;
    fillStoredSeries(store, 4, 80, true);
    const IvChartRanges ranges = rangesFor(RangeKind::Symmetric);
    const IvChartOptions options;
    ChartPair charts;
    charts.expectSame(store, ranges, options, "start");
    struct Step {
        const char* what;
        void (*change)(SeriesStore&);
        bool drawnAnew;
        int seriesAdded;
    };
    const Step steps[] = {
        {"a repetition commits a new series",
         [](SeriesStore& s) {
             fillLiveSegment(s, 1, 41, 0.0f, 2.0f, 1.7f);
             s.seriesCount = 5;
             s.commitLive(5);
             s.clearLive();
         },
         false, 1},
        {"a Start commits the empty live layer into the next slot",
         [](SeriesStore& s) {
             s.seriesCount = 6;
             s.commitLive(6);
         },
         false, 0},
        {"a writable access that changes nothing",
         [](SeriesStore& s) { (void)s.storedVoltage(3, 2); }, false, 0},
        {"an empty series after the last one is given up",
         [](SeriesStore& s) { s.seriesCount = 5; }, false, 0},
        {"two series at once after the last one",
         [](SeriesStore& s) {
             fillStoredSegment(s, 7, 2, 30, 1.0f, -1.0f, 2.0f);
             fillStoredSegment(s, 8, 4, 30, -1.0f, 0.5f, 0.5f);
             s.seriesCount = 8;
         },
         false, 2},
        {"a point of an earlier series changes",
         [](SeriesStore& s) { s.storedCurrent(2, 3)[5] *= 3.0f; }, true, 0},
        {"a drawn series is given up", [](SeriesStore& s) { s.seriesCount = 7; }, true, 0},
        {"the tables come back from the copies", [](SeriesStore& s) { s.restoreStored(); }, true,
         0},
    };
    for (const Step& step : steps) {
        const int builds = charts.cached().storedLayerBuilds();
        const int added = charts.cached().storedSeriesAdded();
        step.change(store);
        charts.expectSame(store, ranges, options, step.what);
        EXPECT_EQ(charts.cached().storedLayerBuilds() - builds, step.drawnAnew ? 1 : 0)
            << step.what;
        EXPECT_EQ(charts.cached().storedSeriesAdded() - added, step.seriesAdded) << step.what;
    }
}

void draw(IvChart& chart, const SeriesStore& store, const IvChartRanges& ranges,
          const IvChartOptions& options) {
    chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges, options, store,
                      nullptr);
}

// An open shows the data's ranges, and a Start goes back to the limit edits'; the stored layer
// for those is drawn ahead, a part per call. The Start's drawing takes it over and draws only
// what it lacks, with the pixels of a chart that draws the layer there and then; the layer for
// the open's ranges is kept, and going back to them draws nothing anew either.
TEST(IvChartCacheTest, AStoredLayerDrawnAheadIsTakenOverWithTheSamePixels) {
    const IvChartRanges opened{-1.1e-5, 3.3e-5, -2.2, 2.2};
    const IvChartRanges started = rangesFor(RangeKind::Symmetric);
    struct Case {
        const char* what;
        int callsBefore;  // of prepareStoredLayer, before the change of the store
        void (*change)(SeriesStore&);
        int callsAfter;
        bool drawnAnew;
        bool drawnSeriesChanged;  // so that going back to the open's ranges draws anew
    };
    const auto none = [](SeriesStore&) {};
    const auto rewrite = [](SeriesStore& s) { s.storedCurrent(3, 2)[5] *= 3.0f; };
    const Case cases[] = {
        {"drawn ahead in full", 10, none, 0, false, false},
        {"drawn ahead in part", 1, none, 0, false, false},
        {"not drawn ahead", 0, none, 0, true, false},
        {"a series drawn ahead changed since", 10, rewrite, 0, true, true},
        {"a series changed while drawing ahead", 1, rewrite, 10, false, true},
        {"a series stored after it", 10,
         [](SeriesStore& s) {
             fillStoredSegment(s, 21, 2, 30, 1.0f, -1.0f, 2.0f);
             s.seriesCount = 21;
         },
         0, false, false},
    };
    for (const bool logScale : {true, false}) {
        for (const Case& test : cases) {
            SCOPED_TRACE(testing::Message() << test.what << (logScale ? ", log" : ", linear"));
            SeriesStore store;
            fillStoredSeries(store, 20, 1500, false);  // more than one call draws
            IvChartOptions options;
            options.logScale = logScale;
            IvChart ahead(kPaintBox);
            IvChart direct(kPaintBox);
            draw(ahead, store, opened, options);
            draw(direct, store, opened, options);
            bool done = false;
            const auto prepare = [&](int calls) {
                for (int call = 0; call < calls && !done; ++call) {
                    done = ahead.prepareStoredLayer(started, options, store);
                }
            };
            prepare(test.callsBefore);
            test.change(store);
            done = done && test.callsAfter == 0;
            prepare(test.callsAfter);
            EXPECT_EQ(done, test.callsBefore + test.callsAfter > 1);
            store.seriesCount += 1;  // the Start's commit of the empty live layer, a first point
            store.commitLive(store.seriesCount);
            fillLiveSegment(store, 1, 1, -2.0f, -2.0f);
            const int builds = ahead.storedLayerBuilds();
            draw(ahead, store, started, options);
            draw(direct, store, started, options);
            EXPECT_EQ(differingPixels(ahead.ivBitmap(), direct.ivBitmap()), 0);
            EXPECT_EQ(ahead.storedLayerBuilds() - builds, test.drawnAnew ? 1 : 0);
            EXPECT_TRUE(ahead.prepareStoredLayer(started, options, store))
                << "nothing is left to draw ahead for the ranges shown";
            const int buildsAtStart = ahead.storedLayerBuilds();
            draw(ahead, store, opened, options);
            draw(direct, store, opened, options);
            EXPECT_EQ(differingPixels(ahead.ivBitmap(), direct.ivBitmap()), 0);
            EXPECT_EQ(ahead.storedLayerBuilds() - buildsAtStart, test.drawnSeriesChanged ? 1 : 0)
                << "back to the open's ranges";
        }
    }
}

// Pixels whose values differ between two pictures, all inside `area`.
bool changesWithin(const QImage& before, const QImage& after, const QRect& area) {
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (before.pixel(x, y) != after.pixel(x, y) && !area.contains(x, y)) {
                return false;
            }
        }
    }
    return true;
}

// Points 1..count of a live segment; each point's values depend on its place only, so a
// longer run keeps the points of a shorter one.
void growLiveSegment(SeriesStore& store, int segment, int count) {
    float* voltage = store.liveVoltage(segment);
    float* current = store.liveCurrent(segment);
    for (int p = 1; p <= count; ++p) {
        voltage[p] = -1.0f + 0.05f * static_cast<float>(p * segment);
        current[p] = 1e-6f * (std::exp(2.0f * voltage[p]) - 1.0f);
    }
    voltage[0] = current[0] = static_cast<float>(count);
}

// A growing run adds only its new points to the picture and names the part it changed, so
// that the window repaints just that; every other change of the live run draws it anew.
TEST(IvChartCacheTest, AGrowingLiveRunAddsOnlyItsNewPoints) {
    SeriesStore store;
    fillStoredSeries(store, 2, 60, false);
    const IvChartRanges ranges = rangesFor(RangeKind::Symmetric);
    ChartPair charts;
    charts.expectSame(store, ranges, {}, "start");
    struct Step {
        const char* what;
        void (*change)(SeriesStore&, QImage&);
        bool onlyAdds;
    };
    const Step steps[] = {
        {"first point", [](SeriesStore& s, QImage&) { growLiveSegment(s, 2, 1); }, true},
        {"one more point", [](SeriesStore& s, QImage&) { growLiveSegment(s, 2, 2); }, true},
        {"ten more points", [](SeriesStore& s, QImage&) { growLiveSegment(s, 2, 12); }, true},
        {"a later segment starts", [](SeriesStore& s, QImage&) { growLiveSegment(s, 4, 3); }, true},
        {"the newest point rewritten in place",
         [](SeriesStore& s, QImage&) { s.liveCurrent(4)[3] = 2e-6f; }, false},
        {"an earlier segment grows after a later one started",
         [](SeriesStore& s, QImage&) { growLiveSegment(s, 2, 13); }, false},
        {"another chart drew into the picture",
         [](SeriesStore&, QImage& picture) { picture.fill(Qt::blue); }, false},
        {"the run cleared and a new one started",
         [](SeriesStore& s, QImage&) {
             s.clearLive();
             growLiveSegment(s, 1, 2);
         },
         false},
    };
    for (const Step& step : steps) {
        const QImage before = charts.cached().ivBitmap().copy();
        step.change(store, charts.cached().ivBitmap());
        charts.expectSame(store, ranges, {}, step.what);
        const QRect area = charts.cached().lastChangedArea();
        if (step.onlyAdds) {
            EXPECT_LT(area.width() * area.height(), 150 * 150) << step.what;
            EXPECT_TRUE(changesWithin(before, charts.cached().ivBitmap(), area)) << step.what;
        } else {
            EXPECT_EQ(area, charts.cached().ivBitmap().rect()) << step.what;
        }
    }
}

}  // namespace

// A Start after an open puts the limits of the edits in place of the file's; in log scale the
// current limits place no stored point, so only the voltage limits draw the layer anew.
TEST(IvChartCacheTest, InLogScaleOnlyTheVoltageLimitsRedrawTheStoredLayer) {
    SeriesStore store;
    fillStoredSeries(store, 4, 80, true);
    for (const bool logScale : {true, false}) {
        SCOPED_TRACE(logScale ? "log scale" : "linear scale");
        IvChartOptions options;
        options.logScale = logScale;
        ChartPair charts;
        IvChartRanges ranges = rangesFor(RangeKind::Symmetric);
        charts.expectSame(store, ranges, options, "start");
        int builds = charts.cached().storedLayerBuilds();
        ranges.currentMax *= 2;
        ranges.currentMin = -1e-9;
        charts.expectSame(store, ranges, options, "current limits");
        EXPECT_EQ(charts.cached().storedLayerBuilds() - builds, logScale ? 0 : 1);
        builds = charts.cached().storedLayerBuilds();
        ranges.voltageMax = 2.2;
        charts.expectSame(store, ranges, options, "voltage limit");
        EXPECT_EQ(charts.cached().storedLayerBuilds() - builds, 1);
    }
}
