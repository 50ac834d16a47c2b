// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QStringList>

#include "LcrTestBench.h"
#include "lcr/FrequencyChart.h"
#include "lcr/FrequencyView.h"
#include "lcr/SplitDecade.h"
#include "series/ChartCanvas.h"
#include "support/ChartLabels.h"

namespace tarvix::lcr {
namespace {

using series::kLime;
using series::kRed;
using series::kYellow;

// The paint box: plot area 809 x 359 from (75, 10); grid columns 75, 176, 277, 378, 479, 581,
// 682, 783, 884; grid rows 10, 55, 100, 145, 190, 234, 279, 324, 369.
constexpr int W = kChartWidth;
constexpr int H = kChartHeight;

std::vector<ChartText> texts(double yMin, double yMax, double xMin, double xMax, bool logX,
                             const QString& yText = "Prim", const QString& xText = "F[Hz]") {
    return frequencyChartTexts(W, H, yText, xText, yMin, yMax, xMin, xMax, logX);
}

// Texts of entries first, first + step, ... of the 9 labels of one axis.
QStringList column(const std::vector<ChartText>& all, size_t first) {
    QStringList result;
    for (size_t i = 0; i < 9; ++i) {
        result.append(all.at(first + 2 * i).text);
    }
    return result;
}

TEST(SplitDecade, GivesFourSignificantDigitsAndTheDecade) {
    const DecadeSplit large = splitDecade(1234567, 2, 3);
    EXPECT_EQ(large.mantissa, "1.235");
    EXPECT_EQ(large.exponent, 6);
    const DecadeSplit small = splitDecade(0.000123449, 2, 3);
    EXPECT_EQ(small.mantissa, "1.234");
    EXPECT_EQ(small.exponent, -4);
    const DecadeSplit negative = splitDecade(-1.6333e-6, 2, 3);
    EXPECT_EQ(negative.mantissa, "-1.633");
    EXPECT_EQ(negative.exponent, -6);
    EXPECT_EQ(splitDecade(0, 2, 3).mantissa, "0.000");
    EXPECT_EQ(splitDecade(0, 2, 3).exponent, 0);
    EXPECT_EQ(splitDecade(1000, 2, 1).mantissa, "1.0");
    EXPECT_EQ(splitDecade(1000, 2, 1).exponent, 3);
    // Beyond the searched decades the value stays whole.
    EXPECT_EQ(splitDecade(5e25, 2, 1).exponent, 0);
    EXPECT_EQ(splitDecade(7, 6, 1).mantissa, "   7.0");
}

TEST(FrequencyChartTexts, VerticalLabelsUseTheTidiedLimits) {
    const auto all = texts(0.000123449, 1234567, 10, 1000, false);
    EXPECT_EQ(all[0].text, "1.235*10");
    EXPECT_EQ(all[0].at.y(), 5);
    EXPECT_EQ(all[1].text, "6");
    EXPECT_EQ(all[1].at.y(), 1);  // raised
    EXPECT_EQ(all[16].text, "1.234*10");
    EXPECT_EQ(all[17].text, "-4");
    EXPECT_EQ(all[16].at.y(), 364);
}

// Limits are tidied to four figures away from the data, so the extreme points stay inside.
TEST(FrequencyChartTexts, TidyingNeverCutsTheExtremesOff) {
    const auto all = texts(-1.23449, 1.23449, 10, 1000, false);
    EXPECT_EQ(all[0].text, "1.235*10");    // not 1.234
    EXPECT_EQ(all[16].text, "-1.235*10");  // not -1.234
    const auto exact = texts(-2.5, 1.5, 10, 1000, false);
    EXPECT_EQ(exact[0].text, "1.500*10");
    EXPECT_EQ(exact[16].text, "-2.500*10");
}

TEST(FrequencyChartTexts, AFlatCurveIsWidenedByOnePercent) {
    const auto flat = texts(5, 5, 10, 1000, false);
    EXPECT_EQ(flat[0].text, "5.050*10");
    EXPECT_EQ(flat[1].text, "0");
    EXPECT_EQ(flat[16].text, "4.950*10");
    const auto zero = texts(0, 0, 10, 1000, false);
    EXPECT_EQ(column(zero, 0), QStringList(9, "0.000*10"));
}

TEST(FrequencyChartTexts, LogarithmicAxisShowsTenAndTheExponent) {
    const auto all = texts(0, 1, 10, 2000000, true);
    ASSERT_EQ(all.size(), 18u + 18u + 1u);
    EXPECT_EQ(column(all, 18), QStringList(9, "10"));
    EXPECT_EQ(column(all, 19), (QStringList{"1.00", "1.66", "2.33", "2.99", "3.65", "4.31", "4.98",
                                            "5.64", "6.30"}));
    EXPECT_EQ(all[18].at, QPoint(75, H - 35));
    EXPECT_EQ(all[19].at.y(), H - 39);
    EXPECT_EQ(all[34].at, QPoint(884, H - 35));
}

TEST(FrequencyChartTexts, LinearAxisShowsMantissaAndExponent) {
    const auto all = texts(0, 1, 0, 8000, false);
    EXPECT_EQ(column(all, 18), (QStringList{"0.0*10", "1.0*10", "2.0*10", "3.0*10", "4.0*10",
                                            "5.0*10", "6.0*10", "7.0*10", "8.0*10"}));
    EXPECT_EQ(all[19].text, "0");
    EXPECT_EQ(all[21].text, "3");
    EXPECT_EQ(all[20].at, QPoint(176, H - 35));
    EXPECT_EQ(all[21].at.y(), H - 39);
}

TEST(FrequencyChartTexts, LogarithmicAxisWithoutPositiveLimitsLeavesItsLabelsOut) {
    const auto all = texts(0, 1, 0, 1000, true);
    ASSERT_EQ(all.size(), 18u + 1u);
    EXPECT_EQ(all.back().text, "Prim; F[Hz]");
}

// The caption reads "Y; X": view 57 plots the pair either way round and says which.
TEST(FrequencyChartTexts, CaptionNamesTheView) {
    FreqSweep sweep;
    PlotSet plot;
    struct Case {
        FrequencyView view;
        ViewSelection form;
        QString caption;
    };
    const Case views[] = {
        {FrequencyView::PrimaryFromFrequency, ViewSelection::ViewChange, "Prim; F[Hz]"},
        {FrequencyView::SecondaryFromFrequency, ViewSelection::ViewChange, "Seco; "},
        {FrequencyView::PrimaryFromSecondary, ViewSelection::ViewChange, "Prim; Seco"},
        {FrequencyView::PrimaryFromSecondary, ViewSelection::EndOfSweep, "Seco; Prim"},
    };
    for (const auto& [view, form, caption] : views) {
        selectFrequencyView(plot, sweep, view, form);
        const auto all = texts(0, 1, 10, 100, false, plot.yText, plot.xText);
        EXPECT_EQ(all.back().text, caption);
        EXPECT_EQ(all.back().at, QPoint(0, H - 15));
    }
}

// No label covers another, so every exponent shows with its sign, and neighbouring labels of
// an axis never read the same, however narrow the range.
TEST(FrequencyChartTexts, LabelsNeverOverlapAndNeighboursReadApart) {
    struct Case {
        double yMin, yMax, xMin, xMax;
        bool logX;
    };
    const Case cases[] = {
        {-1.6333e-6, 1.6333e-6, 10, 1000, false},  // the test curve: exponents -6 and -7
        {-10.45, 10.45, 10, 1000, true},
        {1.00001e-9, 1.00002e-9, 1000, 1002, false},  // narrow on both axes
        {0, 2e-12, 10, 2e6, true},
        {-3e-3, -1e-3, 1e-3, 9e-3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.yMin << ".." << c.yMax << " " << c.xMin);
        PlotSet plot;
        const auto texts = tarvix::testing::drawnTexts({W, H}, [&](QImage& image) {
            drawFrequencyChart(image, "Prim", "F[Hz]", c.yMin, c.yMax, c.xMin, c.xMax, plot, 0,
                               {c.logX, true});
        });
        const auto overlaps = tarvix::testing::overlappingTexts(texts);
        EXPECT_TRUE(overlaps.empty())
            << overlaps.front().toStdString() << " of " << overlaps.size();
        const auto all =
            frequencyChartTexts(W, H, "Prim", "F[Hz]", c.yMin, c.yMax, c.xMin, c.xMax, c.logX);
        for (size_t first : {size_t{0}, size_t{18}}) {
            for (size_t i = first + 2; i + 1 < std::min(all.size(), first + 18); i += 2) {
                EXPECT_NE(all[i].text + all[i + 1].text, all[i - 2].text + all[i - 1].text) << i;
            }
        }
    }
}

class FrequencyChartPixels : public ::testing::Test {
  protected:
    void draw(double yMin, double yMax, double xMin, double xMax, int count,
              ChartOptions options = {}) {
        drawFrequencyChart(image, "Prim", "F[Hz]", yMin, yMax, xMin, xMax, plot, count, options);
    }
    void place(int k, double x, double y) {
        plot.plotX[static_cast<size_t>(k)] = x;
        plot.plotY[static_cast<size_t>(k)] = y;
    }
    QRgb at(int x, int y) const { return image.pixel(x, y) | 0xFF000000u; }
    // Red pixels inside the plot area that are not on a grid line: the drawn points and lines.
    int redOffGrid(const QRect& box = QRect(75, 10, 810, 360)) const {
        static const QList<int> columns{75, 176, 277, 378, 479, 581, 682, 783, 884};
        static const QList<int> rows{10, 55, 100, 145, 190, 234, 279, 324, 369};
        int count = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                if (!columns.contains(x) && !rows.contains(y) && at(x, y) == kRed) {
                    ++count;
                }
            }
        }
        return count;
    }

    QImage image = series::makeChartImage(W, H);
    PlotSet plot;
};

TEST_F(FrequencyChartPixels, GreenAreaWithYellowGridAndRedZeroLines) {
    draw(-1, 1, 0, 8, 0);
    EXPECT_EQ(at(130, 120), kLime);
    EXPECT_EQ(at(176, 120), kYellow);
    EXPECT_EQ(at(300, 145), kYellow);
    EXPECT_EQ(at(300, 190), kRed);   // y = 0
    EXPECT_EQ(at(75, 120), kRed);    // x = 0
    EXPECT_EQ(at(176, 370), kLime);  // below the plot area
    EXPECT_EQ(redOffGrid(), 0);
}

TEST_F(FrequencyChartPixels, PointsAreCrossesJoinedByLines) {
    place(1, 2.2, 0.3);   // pixel (297, 136)
    place(2, 5.5, -0.1);  // pixel (631, 207)
    draw(-1, 1, 0, 8, 2);
    for (const QPoint& offset :
         {QPoint(0, 0), QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1), QPoint(-2, 0),
          QPoint(2, 0), QPoint(0, -2), QPoint(0, 2)}) {
        EXPECT_EQ(at(297 + offset.x(), 136 + offset.y()), kRed);
        EXPECT_EQ(at(631 + offset.x(), 207 + offset.y()), kRed);
    }
    EXPECT_EQ(at(299, 138), kLime);
    EXPECT_EQ(redOffGrid(QRect(400, 150, 71, 36)), 71);  // one pixel per column of the line
}

TEST_F(FrequencyChartPixels, WithoutLinesOnlyTheCrossesAreDrawn) {
    place(1, 2.2, 0.3);
    place(2, 5.5, -0.1);
    draw(-1, 1, 0, 8, 2, ChartOptions{false, false});
    EXPECT_EQ(redOffGrid(), 18);
}

TEST_F(FrequencyChartPixels, LogarithmicAxisPlacesPointsByDecade) {
    place(1, 100, 0.5);    // halfway between 10 and 1000: (480, 100)
    place(2, -5, 0.5);     // cannot be placed on a logarithmic axis
    place(3, 1000, -0.5);  // the right edge: (884, 279)
    draw(-1, 1, 10, 1000, 3, ChartOptions{true, true});
    EXPECT_EQ(at(480, 100), kRed);
    EXPECT_EQ(at(482, 100), kRed);
    EXPECT_EQ(at(886, 279), kRed);
    // No line runs to or from the point left out.
    EXPECT_EQ(redOffGrid(QRect(500, 110, 300, 160)), 0);
}

TEST_F(FrequencyChartPixels, RangesThatCannotBeMappedDrawOnlyTheFrame) {
    place(1, 2.2, 0);
    place(2, 5.5, 0);
    draw(0, 0, 0, 8, 2);  // zero vertical range: every row is the zero line
    EXPECT_EQ(at(130, 145), kRed);
    EXPECT_EQ(redOffGrid(), 0);
    draw(-1, 1, 3, 3, 2);  // zero horizontal range
    EXPECT_EQ(redOffGrid(), 0);
    draw(-1, 1, 0, 8, 2, ChartOptions{true, true});  // logarithmic axis from 0
    EXPECT_EQ(redOffGrid(), 0);
}

TEST_F(FrequencyChartPixels, FarPointsAreCutWithoutHarm) {
    place(1, 4, 0.5);        // (480, 100)
    place(2, 4.0001, 1e30);  // far above
    place(3, -1e300, -1e300);
    draw(-1, 1, 0, 8, 3);
    EXPECT_EQ(at(480, 100), kRed);
    EXPECT_EQ(at(480, 0), kRed);  // the line leaves through the top
}

}  // namespace
}  // namespace tarvix::lcr
