// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <cmath>

#include "plot/PlotSession.h"
#include "plot/SeriesRaster.h"
#include "plot/VectorSource.h"

namespace tarvix::plot {
namespace {

using testing::VectorSource;

VectorSource::Curve line(int points, float slope, float offset = 0.0f) {
    VectorSource::Curve curve;
    for (int p = 0; p < points; ++p) {
        const float v = -1.0f + 2.0f * static_cast<float>(p) / static_cast<float>(points - 1);
        curve.x.push_back(v);
        curve.y.push_back(slope * v + offset);
    }
    return curve;
}

TEST(PlotSession, LogAxisCountsAndLeavesOutZeroCurrents) {
    VectorSource source;
    source.add({{-1, 0, 0.5f, 1, 2}, {-1e-6f, 0, 1e-7f, 0, 1e-3f}});
    source.add({{0, 1}, {0, 2e-9f}});
    PlotSession session(source);
    session.refresh();
    EXPECT_EQ(session.notice(), "");
    session.setLogY(true);
    EXPECT_EQ(session.notice(), "3 points ≤ 0 not shown");
    // Negative currents count by their magnitude, zeros do not move the axis.
    const PlotView view = session.autoscaledView();
    EXPECT_GT(view.y.low, 1e-9);
    EXPECT_LT(view.y.low, 2e-9);
    EXPECT_GT(view.y.high, 1e-3);
    EXPECT_LT(view.y.high, 2e-3);
    session.setShown(2, false, false);
    EXPECT_EQ(session.notice(), "2 points ≤ 0 not shown");
    EXPECT_GT(session.autoscaledView().y.low, 5e-8);
    EXPECT_LT(session.autoscaledView().y.low, 1e-7);
    EXPECT_EQ(session.readout().join('|'), "2 points ≤ 0 not shown");
}

TEST(PlotSession, AutoscaleFitsTheDataAndFollowsItUntilZoomed) {
    VectorSource source;
    source.add(line(41, 50e-6f, 50e-6f));  // 0 .. 100 µA over -1 .. 1 V
    PlotSession session(source);
    session.refresh();
    const PlotView view = session.view();
    EXPECT_LT(view.y.low, 0.0);
    EXPECT_GT(view.y.low, -10e-6);
    EXPECT_GT(view.y.high, 100e-6);
    EXPECT_LT(view.y.high, 111e-6);
    EXPECT_GE(view.x.low, -1.1 - 1e-9);
    EXPECT_LE(view.x.high, 1.1 + 1e-9);
    session.show({{0, 0.5, false}, {0, 1e-5, false}}, true);
    source.add(line(41, 1e-3f));
    session.refresh();
    EXPECT_EQ(session.view().x.high, 0.5);
    session.zoom().home();
    EXPECT_GT(session.view().y.high, 0.9e-3);
}

TEST(PlotSession, HiddenSeriesComeBackWhenTheirSlotIsFilledAnew) {
    VectorSource source;
    source.add(line(5, 1));
    source.add(line(5, 2));
    PlotSession session(source);
    session.refresh();
    session.setShown(2, false, false);
    session.refresh(true);
    EXPECT_FALSE(session.series()[1].shown);
    source.changed(1);
    session.refresh();
    EXPECT_TRUE(session.series()[1].shown);
}

TEST(ZoomState, StepsBackThroughGesturesAndHomeForgetsThem) {
    ZoomState zoom;
    const PlotView a{{0, 1}, {0, 1}};
    const PlotView b{{0, 0.5}, {0, 0.5}};
    const PlotView c{{0, 0.25}, {0, 0.25}};
    EXPECT_TRUE(zoom.autoscaled());
    zoom.show(a, false);  // leaving autoscale is always a step
    zoom.show(b, true);
    zoom.show(c, false);  // the same gesture as b
    EXPECT_EQ(zoom.steps(), 2);
    EXPECT_TRUE(zoom.back());
    EXPECT_EQ(*zoom.view(), a);
    EXPECT_TRUE(zoom.back());
    EXPECT_TRUE(zoom.autoscaled());
    EXPECT_FALSE(zoom.back());
    zoom.show(a, true);
    zoom.show(b, true);
    zoom.home();
    EXPECT_TRUE(zoom.autoscaled());
    EXPECT_EQ(zoom.steps(), 0);

    const AxisRange zoomed = zoomedAbout({0, 10, false}, 2, 0.5);
    EXPECT_DOUBLE_EQ(zoomed.low, 1);
    EXPECT_DOUBLE_EQ(zoomed.high, 6);
    const AxisRange decades = zoomedAbout({1e-9, 1e-3, true}, 1e-6, 0.5);
    EXPECT_NEAR(std::log10(decades.low), -7.5, 1e-9);
    EXPECT_NEAR(std::log10(decades.high), -4.5, 1e-9);
}

// The indexed search finds the same point as looking at every one, on linear and log axes.
TEST(NearestPoint, AgreesWithLookingAtEveryPoint) {
    VectorSource source;
    QRandomGenerator random(7);
    for (int s = 0; s < 6; ++s) {
        VectorSource::Curve curve;
        for (int p = 0; p < 3000; ++p) {
            curve.x.push_back(static_cast<float>(random.bounded(4.0) - 2.0));
            curve.y.push_back(static_cast<float>((random.bounded(2.0) - 1.0) * 1e-4));
        }
        curve.y[5] = 0;  // never found on a log axis
        source.add(curve);
    }
    PlotSession session(source);
    session.refresh();
    session.setShown(3, false, false);
    for (const bool log : {false, true}) {
        session.setLogY(log);
        const PlotFrame frame = session.frame(QSize(800, 500));
        for (int probe = 0; probe < 40; ++probe) {
            const QPointF at(random.bounded(800.0), random.bounded(500.0));
            const auto hit = session.nearest(frame, at, 1e9);
            ASSERT_TRUE(hit);
            double best = INFINITY;
            for (const PlotSeries& series : session.series()) {
                if (!series.shown) {
                    continue;
                }
                const PlotSegment& segment = series.segments[0];
                for (int p = 0; p < segment.count; ++p) {
                    const double y = frame.y.onAxis(segment.y[p]);
                    if (!frame.y.shows(y)) {
                        continue;
                    }
                    best = std::min(best, std::hypot(frame.x.pixel(segment.x[p]) - at.x(),
                                                     frame.y.pixel(y) - at.y()));
                }
            }
            EXPECT_DOUBLE_EQ(hit->distance, best);
            EXPECT_NE(session.series()[static_cast<std::size_t>(hit->series)].number, 3);
        }
        EXPECT_FALSE(session.nearest(frame, QPointF(-5000, -5000), 10.0));
    }
}

TEST(PlotSession, ReadoutNamesThePointAndTheCurrentsAtTheCursor) {
    VectorSource source;
    source.add(line(21, 10e-6f));
    VectorSource::Curve back = line(21, -5e-6f);
    source.add(back);
    PlotSession session(source);
    session.refresh();
    const PlotFrame frame = session.frame(QSize(600, 400));
    session.hover(session.nearest(frame, {frame.x.pixel(1.0), frame.y.pixel(10e-6)}, 1e9));
    // Between two points each series is read on the line that joins them.
    session.setCursorX(0.55);
    EXPECT_EQ(session.cursorText(), "At 550.0 mV: #1 5.500 µA; #2 −2.750 µA");
    session.setCursorX(0.5);
    EXPECT_EQ(session.readout().join('|'), "#1 point 20|At 500.0 mV: #1 5.000 µA; #2 −2.500 µA");
    session.setShown(1, false, false);
    EXPECT_EQ(session.readout().join('|'), "At 500.0 mV: #2 −2.500 µA");
    session.setShown(1, false, true);
    session.pin(*session.hovered());
    EXPECT_EQ(session.scene().markers.at(0).label, "#1: 1.000 V, 10.00 µA");
    session.pin(*session.hovered());
    EXPECT_EQ(session.markerCount(), 0);
}

}  // namespace
}  // namespace tarvix::plot
