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

int gridX(int k) {
    return static_cast<int>(std::nearbyint(k * (kWidth - 36) / 16.0)) + 35;
}
int pointX(double x, double xMin, double xMax) {
    return static_cast<int>(std::nearbyint((kWidth - 36) * (x - xMin) / (xMax - xMin) + 35));
}
int logY(double y) {
    return static_cast<int>(std::nearbyint((kHeight - 36) * (std::log10(std::abs(y)) + 1) / -10));
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
    EXPECT_EQ(image.pixel(gridX(4), 20), kRed);
    EXPECT_EQ(image.pixel(gridX(5), 20), kWhite);
    EXPECT_EQ(image.pixel(gridX(4) + 2, 20), kLime);
    // Y -2e-6..2e-6: the middle horizontal line is zero.
    const int middleY = static_cast<int>(std::nearbyint(8 * (kHeight - 36) / 16.0));
    EXPECT_EQ(image.pixel(300, middleY), kRed);
}

TEST(AnalysisChart, ARangeNotOnTheGridSlidesSoThatZeroIsALine) {
    QImage image = blankChart();
    // -1.1..2.2: step 0.20625, k = 10, shift 0.1375; zero falls on line 6.
    drawInitialChart(image, frame(-1.1, 2.2, 0, 1), {}, {}, kMagenta);
    EXPECT_EQ(image.pixel(gridX(6), 20), kRed);
}

TEST(AnalysisChart, PointsAreFivePixelCrossesInTheSegmentColour) {
    QImage image = blankChart();
    const std::vector<double> x{1.0};
    const std::vector<double> y{-0.5e-6};
    drawInitialChart(image, frame(0, 2, -1e-6, 0), x, y, kMagenta);
    const int px = pointX(1.0, 0, 2);
    const int py = static_cast<int>(std::nearbyint((kHeight - 36) * (0 - -0.5e-6) / 1e-6));
    for (const auto& [dx, dy] : {std::pair{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
        EXPECT_EQ(image.pixel(px + dx, py + dy), kMagenta) << dx << "," << dy;
    }
    EXPECT_NE(image.pixel(px + 1, py + 1), kMagenta);
}

TEST(AnalysisChart, TheLinearFittedLineRunsFromTheLeftEdgeToTheImageEdge) {
    QImage image = blankChart();
    const LineFit line{0.5, 0.25, true};  // y = 0.25 x + 0.5 over x 0..2, y 0..1
    drawLinearizedChart(image, frame(0, 2, 0, 1), {}, {}, kMagenta, line);
    const auto yAt = [](double y) {
        return static_cast<int>(std::nearbyint((kHeight - 36) * (1 - y) / 1));
    };
    EXPECT_EQ(image.pixel(35, yAt(0.5)), kMagenta);
    EXPECT_TRUE(hasColourNear(image, kWidth - 1, yAt(1.0), kMagenta));
    EXPECT_TRUE(hasColourNear(image, pointX(1.0, 0, 2), yAt(0.75), kMagenta));
}

TEST(AnalysisChart, InLogScaleTheLineFollowsThePointsMapping) {
    // Points on y = 1e-4 x + 1e-7: their decades are not linear in x, so a line drawn with
    // the linear mapping would miss them.
    const LineFit line{1e-7, 1e-4, true};
    std::vector<double> x;
    std::vector<double> y;
    for (double v : {0.01, 0.05, 0.2, 0.7, 1.5}) {
        x.push_back(v);
        y.push_back(line.at(v));
    }
    const AnalysisChartFrame logFrame = frame(0, 1.65, 0, 1.65e-4, true);
    QImage lineOnly = blankChart();
    drawLinearizedChart(lineOnly, logFrame, {}, {}, kMagenta, line);
    for (std::size_t k = 0; k < x.size(); ++k) {
        EXPECT_TRUE(hasColourNear(lineOnly, pointX(x[k], 0, 1.65), logY(y[k]), kMagenta))
            << "point " << k;
    }
    // Between the points too: halfway along in x.
    const double middle = 0.35;
    EXPECT_TRUE(hasColourNear(lineOnly, pointX(middle, 0, 1.65), logY(line.at(middle)), kMagenta));

    // And the points themselves sit at the decades of |y|; a zero at the bottom decade.
    QImage pointsOnly = blankChart();
    const std::vector<double> zeroX{0.5};
    const std::vector<double> zeroY{0.0};
    drawLinearizedChart(pointsOnly, logFrame, zeroX, zeroY, kMagenta, LineFit{});
    EXPECT_EQ(pointsOnly.pixel(pointX(0.5, 0, 1.65), logY(1e-11)), kMagenta);
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
    for (int k = 0; k <= 16; ++k) {
        EXPECT_EQ(image.pixel(gridX(k), 20), kRed) << k;
    }
    const int middleY = static_cast<int>(std::nearbyint(8 * (kHeight - 36) / 16.0));
    EXPECT_EQ(image.pixel(gridX(8) + 1, middleY), kMagenta);
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
