// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>

#include "series/IvChart.h"
#include "series/IvChartGeometry.h"
#include "series/IvChartPlotter.h"
#include "series/IvChartTestData.h"
#include "series/SeriesStore.h"

using namespace tarvix::series;
using namespace tarvix::series::testdata;

namespace {

// W = 633, H = 425: points use Wp = 572 and Hp = 389.
constexpr QRgb kRedLine = qRgb(255, 0, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);

class IvChartPicture : public ::testing::Test {
  protected:
    QImage draw() {
        label = chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges,
                                  options, store, nullptr);
        return chart.ivBitmap().copy();
    }
    QRgb at(const QImage& picture, int x, int y) const { return picture.pixel(x, y) | 0xFF000000; }

    SeriesStore store;
    IvChart chart{kPaintBox};
    IvChartOptions options;
    IvChartRanges ranges{-1.5e-5, 1.5e-5, -2.0, 2.0};
    std::optional<QString> label;
};

TEST(IvChartGeometryTest, ZeroAlignmentSlidesTheWindowOntoAGridLine) {
    const IvChartRanges symmetric = IvChartGeometry::alignedToZero({-0.25, 0.25, -2.0, 2.0});
    EXPECT_DOUBLE_EQ(symmetric.voltageMin, -2.0);
    EXPECT_DOUBLE_EQ(symmetric.voltageMax, 2.0);
    EXPECT_DOUBLE_EQ(symmetric.currentMin, -0.25);

    const IvChartRanges shifted = IvChartGeometry::alignedToZero({1e-6, 5e-6, -1.0, 2.1});
    EXPECT_NEAR(shifted.voltageMin, -1.1625, 1e-12);
    EXPECT_NEAR(shifted.voltageMax, 1.9375, 1e-12);
    // Limits of one sign are left alone.
    EXPECT_EQ(shifted.currentMin, 1e-6);
    EXPECT_EQ(shifted.currentMax, 5e-6);
}

TEST(IvChartGeometryTest, LogScaleFoldsTheSignAndPutsZeroAtTheElevenDecade) {
    const IvChartGeometry g(kPaintBox, {-1.5e-5, 1.5e-5, -2.0, 2.0}, true);
    EXPECT_EQ(g.pointAt(0.5f, -2e-6f), g.pointAt(0.5f, 2e-6f));
    EXPECT_EQ(g.pointAt(0.5f, -2e-6f), QPoint(392, 148));  // 392.5 rounds to even
    EXPECT_EQ(g.pointAt(0.5f, 0.0f).y(), 285);             // 389 * 11 / 15
    EXPECT_EQ(g.pointAt(0.5f, 0.0f).y(), g.pointAt(0.5f, 1e-11f).y());
    EXPECT_EQ(g.pointAt(0.5f, 1.0f).y(), 0);
    EXPECT_LT(g.pointAt(0.5f, 10.0f).y(), 0);
}

TEST(IvChartGeometryTest, ZeroSpansLeaveNoRoomForPointsButNeverDivide) {
    EXPECT_FALSE(IvChartGeometry(kPaintBox, {-1.0, 1.0, 1.0, 1.0}, true).pointsDrawable());
    EXPECT_FALSE(IvChartGeometry(kPaintBox, {-1.0, 1.0, 1.0, 1.0}, true).cursorsDrawable());
    EXPECT_FALSE(IvChartGeometry(kPaintBox, {0.0, 0.0, -1.0, 1.0}, false).pointsDrawable());
    // The log axis does not use the current range.
    EXPECT_TRUE(IvChartGeometry(kPaintBox, {0.0, 0.0, -1.0, 1.0}, true).pointsDrawable());
}

TEST(IvChartGeometryTest, FarAndInvalidValuesStayWithinTheSafeRange) {
    const IvChartGeometry g(kPaintBox, {-0.25, 0.25, -2.0, 2.0}, false);
    EXPECT_EQ(g.pointAt(0.0f, 9.9e37f).y(), -IvChartGeometry::kFarPixel);
    EXPECT_EQ(g.pointAt(0.0f, -std::numeric_limits<float>::infinity()).y(),
              IvChartGeometry::kFarPixel);
    EXPECT_EQ(g.pointAt(std::numeric_limits<float>::quiet_NaN(), 0.0f).x(),
              -IvChartGeometry::kFarPixel);
}

TEST_F(IvChartPicture, NinthVerticalLineIsRedForASymmetricWindow) {
    const QImage picture = draw();
    EXPECT_EQ(at(picture, 321, 150), kRedLine);  // round(8 * 572 / 16) + 35
    EXPECT_EQ(at(picture, 285, 150), kWhite);    // the eighth line
    EXPECT_EQ(at(picture, 321, 388), kRedLine);  // the grid stops at H - 35, excluded
    EXPECT_EQ(at(picture, 321, 390), kLime);
    EXPECT_EQ(at(picture, 10, 150), kLime);
}

TEST_F(IvChartPicture, ShiftedWindowPutsTheRedLineOnZeroVolts) {
    ranges.voltageMin = -1.0;
    ranges.voltageMax = 2.1;
    const QImage picture = draw();
    EXPECT_EQ(at(picture, 249, 150), kRedLine);  // line 6: round(214.5) = 214, + 35
    EXPECT_EQ(at(picture, 214, 150), kWhite);
    EXPECT_EQ(at(picture, 285, 150), kWhite);
}

TEST_F(IvChartPicture, LinearGridHasARedZeroCurrentLineAndLogGridHasDecades) {
    options.logScale = false;
    ranges.currentMin = -0.25;
    ranges.currentMax = 0.25;
    QImage picture = draw();
    EXPECT_EQ(at(picture, 100, 194), kRedLine);  // round(8 * 389 / 16)
    EXPECT_EQ(at(picture, 100, 170), kWhite);    // round(9 * 389 / 16) = 170.2
    EXPECT_EQ(at(picture, 35, 194), kRedLine);
    EXPECT_EQ(at(picture, 633 - 26, 194), kRedLine);
    EXPECT_EQ(at(picture, 633 - 25, 194), kLime);  // end excluded

    options.logScale = true;
    picture = draw();
    EXPECT_EQ(at(picture, 100, 130), kWhite);  // decade -5: round(5 * 389 / 15)
    EXPECT_EQ(at(picture, 100, 194), kLime);
}

TEST_F(IvChartPicture, CursorLinesUseOnePixelMoreWidthThanThePoints) {
    const QImage plain = draw();
    options.manualVoltage = 1.0f;
    QImage picture = draw();
    EXPECT_EQ(at(picture, 465, 0), kBlack);  // round(573 / 4 * 3 + 35) = 465
    EXPECT_EQ(at(picture, 465, 300), kBlack);
    EXPECT_EQ(at(picture, 464, 300), at(plain, 464, 300));

    options.manualVoltage = 0.0f;
    options.cursorVoltage = -0.5f;
    EXPECT_EQ(differingPixels(draw(), plain), 0) << "the sweep cursor needs RadioButton2";
    options.cursorLineShown = true;
    picture = draw();
    EXPECT_EQ(at(picture, 250, 300), kBlack);  // round(573 / 4 * 1.5 + 35) = 250
    EXPECT_EQ(at(plain, 250, 300), kLime);
}

TEST_F(IvChartPicture, LiveRunUsesSegmentColoursAndTheSameHeightForBothSigns) {
    options.segmentFinished = true;
    float* voltage = store.liveVoltage(2);
    float* current = store.liveCurrent(2);
    voltage[0] = current[0] = 2.0f;
    voltage[1] = -1.0f;
    current[1] = -2e-6f;
    voltage[2] = 1.0f;
    current[2] = 2e-6f;
    store.liveVoltage(4)[0] = store.liveCurrent(4)[0] = 1.0f;
    store.liveVoltage(4)[1] = 0.5f;
    store.liveCurrent(4)[1] = 0.0f;
    const QImage picture = draw();
    EXPECT_EQ(at(picture, 178, 148), kBlue);
    EXPECT_EQ(at(picture, 464, 148), kBlue);
    EXPECT_EQ(at(picture, 300, 148), kBlue) << "joined by a horizontal line";
    EXPECT_EQ(at(picture, 178, 147), kBlue);
    EXPECT_NE(at(picture, 177, 147), kBlue);
    EXPECT_EQ(at(picture, 392, 285), kYellow);  // a zero current at 1e-11 A
    EXPECT_EQ(at(picture, 392, 286), kYellow);
    EXPECT_EQ(at(picture, 393, 285), kYellow);
    EXPECT_NE(at(picture, 393, 286), kYellow);
    EXPECT_EQ(IvChart::segmentColor(2), IvChart::segmentColor(3));
    EXPECT_EQ(IvChart::segmentColor(5), qRgb(255, 0, 255));
    EXPECT_EQ(IvChart::segmentColor(6), qRgb(128, 0, 0));
    EXPECT_EQ(IvChart::segmentColor(7), qRgb(128, 0, 128));
    EXPECT_EQ(IvChart::segmentColor(8), kBlack);
}

TEST_F(IvChartPicture, JoiningLinesStayWithinASegment) {
    options.segmentFinished = true;
    options.joinPoints = false;
    // Two points at 0.3 uA (row 169), then segment 2 starting back at the first one.
    fillLiveSegment(store, 1, 2, -1.0f, 1.0f);
    fillLiveSegment(store, 2, 1, -1.0f, -1.0f);
    store.liveCurrent(1)[1] = store.liveCurrent(1)[2] = store.liveCurrent(2)[1] = 3e-7f;
    QImage picture = draw();
    EXPECT_EQ(at(picture, 300, 169), kLime);

    options.joinPoints = true;
    picture = draw();
    // No line from segment 1's last point (464, 169) to segment 2's first one (178, 169).
    EXPECT_EQ(at(picture, 300, 169), kBlack);
}

TEST_F(IvChartPicture, CurrentsAboveOneAmpereAreClippedAtTheTopEdgeNeverMoved) {
    options.segmentFinished = true;
    options.joinPoints = false;
    const QImage plain = draw();
    fillLiveSegment(store, 1, 1, 0.5f, 0.5f, 0.0f);
    store.liveCurrent(1)[1] = 1.0f;
    QImage picture = draw();
    EXPECT_EQ(at(picture, 392, 0), kBlack);
    EXPECT_EQ(at(picture, 392, 1), kBlack);
    store.liveCurrent(1)[1] = 10.0f;
    EXPECT_EQ(differingPixels(draw(), plain), 0);
}

TEST_F(IvChartPicture, WildReadingsDrawALineTowardsThemWithoutHanging) {
    options.logScale = false;
    options.segmentFinished = true;
    ranges.currentMin = -0.25;
    ranges.currentMax = 0.25;
    fillLiveSegment(store, 1, 4, 0.5f, 1.0f, 0.0f);
    store.liveCurrent(1)[2] = 9.9e37f;  // an overflow reading
    store.liveCurrent(1)[3] = std::numeric_limits<float>::quiet_NaN();
    store.liveCurrent(1)[4] = -std::numeric_limits<float>::infinity();
    const QImage picture = draw();
    EXPECT_EQ(at(picture, 392, 194), kBlack);
    EXPECT_EQ(at(picture, 392, 100), kBlack) << "the line heads straight up";
}

TEST_F(IvChartPicture, NewestPointMarkerOnlyOnTheLastPointOfTheRunningSegment) {
    fillLiveSegment(store, 1, 5, -1.0f, 0.0f);
    fillLiveSegment(store, 3, 3, 0.25f, 0.75f);
    options.segmentFinished = true;
    const QImage finished = draw();
    options.segmentFinished = false;
    const QImage running = draw();
    EXPECT_EQ(differingPixels(finished, running), 49);
    const QPoint newest =
        IvChartGeometry(kPaintBox, ranges, true).pointAt(0.75f, store.liveCurrent(3)[3]);
    for (int y = newest.y() - 5; y < newest.y() + 2; ++y) {
        for (int x = newest.x() - 5; x < newest.x() + 2; ++x) {
            const QRgb before = at(finished, x, y);
            EXPECT_EQ(at(running, x, y),
                      qRgb(255 - qRed(before), 255 - qGreen(before), 255 - qBlue(before)));
        }
    }
}

TEST(IvChartPlotterTest, MarkerDrawnTwiceRestoresThePicture) {
    QImage picture(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixel(x, y, qRgb(x * 6, y * 8, (x * y) % 256));
        }
    }
    const QImage original = picture.copy();
    const IvChartGeometry geometry(picture.size(), {-1.0, 1.0, -1.0, 1.0}, false);
    IvChartPlotter plotter(picture, geometry, true);
    for (const QPoint at : {QPoint(20, 15), QPoint(2, 1), QPoint(39, 29)}) {
        plotter.invertMarker(at);
        EXPECT_NE(differingPixels(picture, original), 0) << at.x();
        plotter.invertMarker(at);
        EXPECT_EQ(differingPixels(picture, original), 0) << at.x();
    }
    plotter.invertMarker(QPoint(-100, 5));
    EXPECT_EQ(differingPixels(picture, original), 0);
}

TEST_F(IvChartPicture, StoredSeriesAreLeftOutWhenTheirBoxIsUnchecked) {
    fillLiveSegment(store, 1, 30, -1.5f, 1.5f);
    const QImage liveOnly = draw();
    fillStoredSeries(store, 3, 40, true);
    EXPECT_NE(differingPixels(draw(), liveOnly), 0);
    options.showStored = false;
    EXPECT_EQ(differingPixels(draw(), liveOnly), 0);
    EXPECT_FALSE(label.has_value());
}

TEST_F(IvChartPicture, ZeroSpansDrawFrameAndLabelsOnly) {
    options.manualVoltage = 0.5f;
    options.logScale = false;
    for (const IvChartRanges flat :
         {IvChartRanges{-1e-5, 1e-5, 1.0, 1.0}, IvChartRanges{0.0, 0.0, -2.0, 2.0}}) {
        ranges = flat;
        store.clearLive();
        store.seriesCount = 0;
        const QImage empty = draw();
        fillLiveSegment(store, 1, 20, -1.0f, 1.0f);
        fillStoredSeries(store, 2, 20, false);
        EXPECT_EQ(differingPixels(draw(), empty), 0);
    }
    // A flat voltage axis has no room for the cursor either.
    ranges = {-1e-5, 1e-5, 1.0, 1.0};
    options.manualVoltage = 0.0f;
    const QImage noCursor = draw();
    options.manualVoltage = 1.0f;
    EXPECT_EQ(differingPixels(draw(), noCursor), 0);
}

TEST_F(IvChartPicture, Label45ShowsTheLastLabelledNonEmptyStoredSegmentInLogScale) {
    fillStoredSeries(store, 2, 10, false);
    store.segmentLabel(3, 1) = QStringLiteral("first");
    store.segmentLabel(7, 2) = QStringLiteral("last");
    store.segmentLabel(8, 2) = QString();
    store.segmentLabel(5, 3) = QStringLiteral("beyond seriesCount");
    draw();
    EXPECT_EQ(label, QStringLiteral("last"));

    store.storedCurrent(7, 2)[0] = 0.0f;  // emptied segments do not count
    draw();
    EXPECT_EQ(label, QStringLiteral("first"));

    options.logScale = false;
    draw();
    EXPECT_FALSE(label.has_value());
    options.logScale = true;
    store.seriesCount = 0;
    draw();
    EXPECT_FALSE(label.has_value());
}

TEST_F(IvChartPicture, TickLabelsAndCaptionsAreDrawnInTheBottomBand) {
    const QImage withCaptions = draw();
    bool textBelowGrid = false;
    for (int x = 0; x < 633 && !textBelowGrid; ++x) {
        for (int y = 395; y < 425 && !textBelowGrid; ++y) {
            textBelowGrid = at(withCaptions, x, y) == kBlack;
        }
    }
    EXPECT_TRUE(textBelowGrid);
    // The captions are part of the picture: another caption gives another picture.
    options.logScale = false;
    const QImage linear = draw();
    const QImage other = [&] {
        chart.drawIvChart(QStringLiteral("mA"), QStringLiteral("mV"), ranges, options, store,
                          nullptr);
        return chart.ivBitmap().copy();
    }();
    EXPECT_NE(differingPixels(linear, other), 0);
}

}  // namespace
