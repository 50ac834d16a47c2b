// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <vector>

#include "analysis/AnalysisChart.h"
#include "series/ChartCanvas.h"

using namespace tarvix::analysis;
using tarvix::series::fromBgr;
using tarvix::series::kLime;
using tarvix::series::kRed;
using tarvix::series::kWhite;

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 420;
const QRgb kMagenta = fromBgr(0xFF00FF);

QImage blankChart() {
    return tarvix::series::makeChartImage(kWidth, kHeight);
}

AnalysisChartFrame frame(double xMin, double xMax, double yMin, double yMax, bool log = false) {
    return {QStringLiteral("micro A   "), QStringLiteral("    V"), xMax, xMin, yMax, yMin, log};
}

// Where a point lands with the narrowest left margin (35 pixels).
int pointX(double x, double xMin, double xMax) {
    return static_cast<int>(std::nearbyint((kWidth - 36) * (x - xMin) / (xMax - xMin) + 35));
}

// Columns of the vertical grid lines: not lime on every row of the plot.
std::vector<int> gridColumns(const QImage& image) {
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        bool line = true;
        for (int y = 0; y <= image.height() - 36 && line; ++y) {
            line = image.pixel(x, y) != kLime;
        }
        if (line) {
            columns.push_back(x);
        }
    }
    return columns;
}

int gridRow(int k) {
    return static_cast<int>(std::nearbyint((16 - k) * (kHeight - 36) / 16.0));
}

// Centres of five-pixel crosses of the colour.
std::vector<QPoint> crosses(const QImage& image, QRgb colour) {
    std::vector<QPoint> found;
    for (int y = 1; y + 1 < image.height(); ++y) {
        for (int x = 1; x + 1 < image.width(); ++x) {
            if (image.pixel(x, y) == colour && image.pixel(x - 1, y) == colour &&
                image.pixel(x + 1, y) == colour && image.pixel(x, y - 1) == colour &&
                image.pixel(x, y + 1) == colour) {
                found.emplace_back(x, y);
            }
        }
    }
    return found;
}

bool hasColourNear(const QImage& image, int x, int y, QRgb colour, int tolerance = 1) {
    for (int dy = -tolerance; dy <= tolerance; ++dy) {
        if (y + dy >= 0 && y + dy < image.height() && image.pixel(x, y + dy) == colour) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(AnalysisChart, ARangeAcrossZeroGetsARedGridLineThroughZero) {
    QImage image = blankChart();
    // -1..3 in steps of 0.25: line 4 lies on 0.
    drawInitialChart(image, frame(-1, 3, -2e-6, 2e-6), {}, {}, kMagenta);
    const std::vector<int> columns = gridColumns(image);
    ASSERT_EQ(columns.size(), 17u);
    EXPECT_EQ(image.pixel(columns[4], 20), kRed);
    EXPECT_EQ(image.pixel(columns[5], 20), kWhite);
    // Y -2e-6..2e-6: the middle horizontal line is zero.
    EXPECT_EQ(image.pixel(300, gridRow(8)), kRed);
}

// The window widens so that 0 falls on a grid line, and the extreme points (a tenth inside
// the range, as the analysis pads it) stay inside the frame.
TEST(AnalysisChart, ZeroFallsOnAGridLineWithTheExtremePointsInside) {
    const std::pair<double, double> ranges[] = {{-1.1, 2.2}, {-11, 1.1}, {-0.33, 7.7}, {-5, 0.01}};
    for (const auto& [low, high] : ranges) {
        SCOPED_TRACE(testing::Message() << low << ".." << high);
        QImage image = blankChart();
        const std::vector<double> x{low / 1.1, high / 1.1};
        const std::vector<double> y{high / 1.1, low / 1.1};
        drawInitialChart(image, frame(low, high, low, high), x, y, kMagenta);
        const std::vector<int> columns = gridColumns(image);
        ASSERT_EQ(columns.size(), 17u);
        int redColumns = 0;
        for (int column : columns) {
            redColumns += image.pixel(column, 20) == kRed ? 1 : 0;
        }
        EXPECT_EQ(redColumns, 1);
        const std::vector<QPoint> points = crosses(image, kMagenta);
        ASSERT_EQ(points.size(), 2u);
        for (const QPoint& p : points) {
            EXPECT_GE(p.x(), columns.front());
            EXPECT_LE(p.x(), columns.back());
            EXPECT_GE(p.y(), 0);
            EXPECT_LE(p.y(), kHeight - 36);
        }
    }
}

TEST(AnalysisChart, PointsAreFivePixelCrossesInTheSegmentColour) {
    QImage image = blankChart();
    const std::vector<double> x{1.0};
    const std::vector<double> y{-0.5e-6};
    drawInitialChart(image, frame(0, 2, -1e-6, 0), x, y, kMagenta);
    const std::vector<QPoint> points = crosses(image, kMagenta);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0], QPoint(gridColumns(image)[8], gridRow(8)));
    EXPECT_NE(image.pixel(points[0] + QPoint(1, 1)), kMagenta);
}

TEST(AnalysisChart, TheFittedLineRunsAcrossThePlot) {
    QImage image = blankChart();
    const LineFit line{0.5, 0.25, true};  // y = 0.25 x + 0.5 over x 0..2, y 0..1
    drawLinearizedChart(image, frame(0, 2, 0, 1), {}, {}, kMagenta, line);
    const std::vector<int> columns = gridColumns(image);
    const auto yAt = [](double y) {
        return static_cast<int>(std::nearbyint((kHeight - 36) * (1 - y) / 1));
    };
    EXPECT_EQ(image.pixel(columns.front(), yAt(0.5)), kMagenta);
    EXPECT_TRUE(hasColourNear(image, columns.back(), yAt(1.0), kMagenta));
    EXPECT_TRUE(hasColourNear(image, columns[8], yAt(0.75), kMagenta));
}

// The straightened quantities are not currents: the I-V chart's log option leaves them on
// linear axes, points and line alike.
TEST(AnalysisChart, TheLogOptionLeavesTheStraightenedChartLinear) {
    const std::vector<double> x{0.2, 0.9, 1.6};
    const std::vector<double> y{-14.2, -13.1, -12.0};
    const LineFit line{-14.5, 1.5, true};
    QImage linear = blankChart();
    drawLinearizedChart(linear, frame(0, 1.8, -15.6, 0), x, y, kMagenta, line);
    QImage log = blankChart();
    drawLinearizedChart(log, frame(0, 1.8, -15.6, 0, true), x, y, kMagenta, line);
    EXPECT_EQ(log, linear);
    EXPECT_EQ(crosses(linear, kMagenta).size(), 3u);
}

TEST(AnalysisChart, LogScaleHasElevenDecadeLines) {
    QImage image = blankChart();
    drawInitialChart(image, frame(0, 1, 0, 1, true), {}, {}, kMagenta);
    int whiteRows = 0;
    for (int y = 0; y < kHeight - 35; ++y) {
        whiteRows += image.pixel(kWidth - 5, y) == kWhite ? 1 : 0;
    }
    EXPECT_EQ(whiteRows, 11);
}

TEST(AnalysisChart, ZeroSpansDrawAFrameOfRedLinesAndPointsOnTheMiddle) {
    QImage image = blankChart();
    const std::vector<double> x{0.0, 0.0};
    const std::vector<double> y{0.0, 0.0};
    drawInitialChart(image, frame(0, 0, 0, 0), x, y, kMagenta);
    const std::vector<int> columns = gridColumns(image);
    ASSERT_EQ(columns.size(), 17u);
    for (int column : columns) {
        EXPECT_EQ(image.pixel(column, 20), kRed) << column;
    }
    EXPECT_EQ(image.pixel(columns[8] + 1, gridRow(8)), kMagenta);
}

TEST(AnalysisChart, FarOffValuesAndSteepLinesStayInsideTheImage) {
    QImage image = blankChart();
    const std::vector<double> x{1e300, -1e300, 0.5};
    const std::vector<double> y{1e300, 1e-300, -1e300};
    drawLinearizedChart(image, frame(0, 1, 0, 1), x, y, kMagenta, LineFit{0, 1e200, true});
    drawLinearizedChart(image, frame(0, 1, 0, 1, true), x, y, kMagenta, LineFit{0, 1e200, true});
    SUCCEED();
}

TEST(AnalysisChart, TheMarkerFlashesOncePerPointAndLeavesNoTrace) {
    const QRgb darkRed = fromBgr(0x000080);
    const std::vector<double> x{0.2, 0.4};
    const std::vector<double> y{0.2, 0.4};
    QImage plain = blankChart();
    drawLinearizedChart(plain, frame(0, 1, 0, 1), x, y, darkRed, LineFit{});
    QImage flashed = blankChart();
    std::vector<QRgb> seen;
    drawLinearizedChart(flashed, frame(0, 1, 0, 1), x, y, darkRed, LineFit{}, [&] {
        // Inside the inverted square, above and left of the point: lime turned magenta.
        const int px = pointX(x[seen.size()], 0, 1);
        const int py = static_cast<int>(std::nearbyint((kHeight - 36) * (1 - y[seen.size()])));
        seen.push_back(flashed.pixel(px - 4, py - 4));
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], qRgb(255, 0, 255));
    EXPECT_EQ(seen[1], qRgb(255, 0, 255));
    EXPECT_EQ(flashed, plain);
}
