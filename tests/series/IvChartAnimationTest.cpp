// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "series/IvChart.h"
#include "series/IvChartGeometry.h"
#include "series/IvChartTestData.h"
#include "series/SeriesStore.h"

using namespace tarvix::series;
using namespace tarvix::series::testdata;

namespace {

class RecordingHost : public AnimationHost {
  public:
    void showFrame(const QImage& picture) override { frames.push_back(picture.copy()); }
    void runPendingEvents() override {
        ++eventRuns;
        if (onEvents) {
            onEvents();
        }
    }
    void sleep(int milliseconds) override { sleeps.push_back(milliseconds); }
    void showSegmentLabel(const QString& label) override { labels.push_back(label); }

    std::vector<QImage> frames;
    std::vector<int> sleeps;
    std::vector<QString> labels;
    int eventRuns = 0;
    std::function<void()> onEvents;
};

class IvChartAnimation : public ::testing::Test {
  protected:
    IvChartAnimation() {
        options.joinPoints = false;
        // Two series with points in segments 1 and 3 only: 12 points to play.
        for (int series = 1; series <= 2; ++series) {
            fillStoredSegment(store, series, 1, 3, -1.5f, 1.5f, static_cast<float>(series));
            fillStoredSegment(store, series, 3, 3, 1.5f, -1.0f, static_cast<float>(series));
            store.segmentLabel(3, series) = QStringLiteral("series %1").arg(series);
        }
        store.seriesCount = 2;
    }

    std::optional<QString> play(int delay) {
        chart.setAnimationDelay(delay);
        return chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges,
                                 options, store, &host);
    }
    QImage plainPicture(const IvChartOptions& plainOptions) {
        IvChart plain(kPaintBox);
        plain.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges,
                          plainOptions, store, nullptr);
        return plain.ivBitmap().copy();
    }

    SeriesStore store;
    IvChart chart{kPaintBox};
    RecordingHost host;
    IvChartOptions options;
    IvChartRanges ranges{-1.5e-5, 1.5e-5, -2.0, 2.0};
};

TEST_F(IvChartAnimation, APlainDrawingShowsOnePictureAndLetsEventsRunOnce) {
    play(0);
    EXPECT_EQ(host.frames.size(), 1u);
    EXPECT_EQ(host.eventRuns, 1);
    EXPECT_TRUE(host.sleeps.empty());
    EXPECT_TRUE(host.labels.empty());
}

TEST_F(IvChartAnimation, PlaysEveryStoredPointMarkedAndEndsWithThePlainPicture) {
    const auto label = play(30);
    ASSERT_EQ(host.frames.size(), 13u);  // one per point, then the finished picture
    EXPECT_EQ(host.sleeps, std::vector<int>(12, 30));
    EXPECT_EQ(chart.animationDelay(), 0) << "the delay is one-shot";
    const QImage plain = plainPicture(options);
    EXPECT_EQ(differingPixels(host.frames.back(), plain), 0);
    EXPECT_EQ(differingPixels(chart.ivBitmap(), plain), 0);
    EXPECT_EQ(label, QStringLiteral("series 2"));
    EXPECT_EQ(host.labels, (std::vector<QString>{"series 1", "series 2"}));

    // The first frame shows point 1 of series 1 under the inverted 7 x 7 marker.
    const IvChartGeometry geometry(kPaintBox, ranges, true);
    const QPoint first =
        geometry.pointAt(store.storedVoltage(1, 1)[1], store.storedCurrent(1, 1)[1]);
    const QRgb under = plain.pixel(first.x() - 5, first.y() - 5);
    EXPECT_EQ(host.frames.front().pixel(first.x() - 5, first.y() - 5) & 0xFFFFFF,
              ~under & 0xFFFFFF);
}

TEST_F(IvChartAnimation, StopInTheMiddleDrawsTheRestPlainly) {
    host.onEvents = [&] {
        if (host.eventRuns == 3) {
            chart.setAnimationDelay(0);  // what Stop does
        }
    };
    play(90);
    EXPECT_EQ(host.frames.size(), 4u);
    EXPECT_EQ(host.sleeps, (std::vector<int>{90, 90, 0}));
    EXPECT_EQ(differingPixels(chart.ivBitmap(), plainPicture(options)), 0);
}

TEST_F(IvChartAnimation, NewestPointMarkerWaitsUntilTheAnimationIsStopped) {
    store.seriesCount = 0;
    fillLiveSegment(store, 1, 3, -1.0f, 1.0f);
    IvChartOptions unmarked = options;
    unmarked.segmentFinished = true;
    play(15);
    EXPECT_EQ(host.frames.size(), 4u);
    EXPECT_EQ(differingPixels(chart.ivBitmap(), plainPicture(unmarked)), 0);

    host.onEvents = [&] { chart.setAnimationDelay(0); };
    play(15);
    EXPECT_EQ(differingPixels(chart.ivBitmap(), plainPicture(options)), 0);
}

TEST_F(IvChartAnimation, ADrawingRunFromAPauseLeavesNoMarkerBehind) {
    host.onEvents = [&] {
        if (host.eventRuns == 2) {
            chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges, options,
                              store, nullptr);
        }
    };
    play(15);
    EXPECT_EQ(differingPixels(chart.ivBitmap(), plainPicture(options)), 0);
    EXPECT_EQ(chart.animationDelay(), 0);
}

TEST_F(IvChartAnimation, WithoutAHostTheAnimationJustDraws) {
    chart.setAnimationDelay(30);
    chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges, options, store,
                      nullptr);
    EXPECT_EQ(chart.animationDelay(), 0);
    EXPECT_EQ(differingPixels(chart.ivBitmap(), plainPicture(options)), 0);
}

TEST_F(IvChartAnimation, LinearScaleShowsNoSegmentLabels) {
    options.logScale = false;
    EXPECT_FALSE(play(15).has_value());
    EXPECT_TRUE(host.labels.empty());
    EXPECT_EQ(host.frames.size(), 13u);
}

}  // namespace
