// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "series/ChartCanvas.h"
#include "support/ChartLabels.h"
#include "thermo/ChartLimits.h"
#include "thermo/TemperatureChart.h"

using namespace tarvix;
using namespace tarvix::thermo;
using series::kBlack;
using series::kLime;
using series::kRed;
using series::kWhite;

namespace {

constexpr int kWidth = 633;
constexpr int kHeight = 425;

// Columns of the vertical grid lines and rows of the horizontal ones, for a 633 x 425 image.
constexpr int kGridColumns[9] = {35, 110, 184, 259, 333, 408, 483, 557, 632};
constexpr int kGridRows[9] = {0, 49, 97, 146, 194, 243, 292, 340, 389};

class TemperatureChartTest : public ::testing::Test {
  protected:
    QRgb pixel(int x, int y) const { return image.pixel(x, y) & 0xFFFFFF; }
    void draw(double yMin, double yMax, double xMin, double xMax) {
        drawTemperatureChart(image, "R,Om", "T,C", yMin, yMax, xMin, xMax, *record);
    }
    // Colour of each vertical grid line, sampled between two horizontal lines.
    std::vector<QRgb> verticalLineColours() const {
        std::vector<QRgb> colours;
        for (int x : kGridColumns) {
            colours.push_back(pixel(x, 30));
        }
        return colours;
    }
    // Black pixels in the plot area, right of the value labels and above the axis labels.
    int blackPoints() const {
        int black = 0;
        for (int y = 16; y < kHeight - 35; ++y) {
            for (int x = 100; x < kWidth; ++x) {
                black += pixel(x, y) == (kBlack & 0xFFFFFF);
            }
        }
        return black;
    }

    QImage image = series::makeChartImage(kWidth, kHeight);
    std::unique_ptr<ThermoRecord> record = std::make_unique<ThermoRecord>();
};

}  // namespace

TEST_F(TemperatureChartTest, NoVerticalLineIsRedWhenNoGridValueIsZero) {
    draw(0, 10000, -196, 300);  // grid values -196, -134, ..., 238, 300
    for (QRgb colour : verticalLineColours()) {
        EXPECT_EQ(colour, kWhite & 0xFFFFFF);
    }
    EXPECT_EQ(pixel(300, 30), kLime & 0xFFFFFF);  // background between lines
    // The vertical lines stop above the axis labels.
    EXPECT_EQ(pixel(110, kHeight - 35), kLime & 0xFFFFFF);
    EXPECT_EQ(pixel(110, kHeight - 45), kWhite & 0xFFFFFF);
}

TEST_F(TemperatureChartTest, TheZeroLinesAreRed) {
    draw(0, 10000, -200, 200);
    const std::vector<QRgb> colours = verticalLineColours();
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(colours[i], (i == 4 ? kRed : kWhite) & 0xFFFFFF) << i;
    }
    // yMin 0: the bottom horizontal line stands for 0, the top one for 10000.
    EXPECT_EQ(pixel(600, kGridRows[8]), kRed & 0xFFFFFF);
    EXPECT_EQ(pixel(600, kGridRows[0]), kWhite & 0xFFFFFF);
    EXPECT_EQ(pixel(600, kGridRows[4]), kWhite & 0xFFFFFF);

    draw(-100, 100, -196, 300);  // now the middle horizontal line is the zero
    EXPECT_EQ(pixel(600, kGridRows[4]), kRed & 0xFFFFFF);
    EXPECT_EQ(pixel(600, kGridRows[8]), kWhite & 0xFFFFFF);
}

TEST_F(TemperatureChartTest, SamplesAreFiveByFiveSquaresAndMissingOnesAreSkipped) {
    record->thermoCount = 3;
    record->thermoTemp[1] = 0;
    record->thermoResistance[1] = 5000;
    record->thermoTemp[2] = 100;
    record->thermoResistance[2] = std::nan("");
    record->thermoTemp[3] = std::nan("");
    record->thermoResistance[3] = 2500;
    record->thermoTemp[4] = 50;  // beyond thermoCount: never drawn
    record->thermoResistance[4] = 5000;
    draw(0, 10000, -200, 200);

    // x = round(597 * 200 / 400 + 35) = round(333.5) = 334, y = round(389 / 2) = 194
    for (int y = 192; y <= 196; ++y) {
        for (int x = 332; x <= 336; ++x) {
            EXPECT_EQ(pixel(x, y), kBlack & 0xFFFFFF) << x << "," << y;
        }
    }
    EXPECT_EQ(blackPoints(), 25);
}

TEST_F(TemperatureChartTest, EqualLimitsDrawTheFrameWithoutPoints) {
    record->thermoCount = 1;
    record->thermoTemp[1] = 20;
    record->thermoResistance[1] = 0;
    draw(0, 0, -196, 300);                                 // Edit55 "0"
    EXPECT_EQ(pixel(600, kGridRows[0]), kRed & 0xFFFFFF);  // every horizontal value is 0
    EXPECT_EQ(pixel(300, 30), kLime & 0xFFFFFF);
    EXPECT_EQ(blackPoints(), 0);
    draw(0, 10000, 50, 50);
    EXPECT_EQ(pixel(600, kGridRows[2]), kWhite & 0xFFFFFF);
    EXPECT_EQ(blackPoints(), 0);
}

TEST_F(TemperatureChartTest, FarOffSamplesAreNotDrawnAndDoNotOverflow) {
    record->thermoCount = 2;
    record->thermoTemp[1] = -274;  // a failed conversion
    record->thermoResistance[1] = 5000;
    record->thermoTemp[2] = 1e300;
    record->thermoResistance[2] = -1e300;
    draw(0, 10000, 0, 120);
    EXPECT_EQ(blackPoints(), 0);
}

TEST(ChartLimits, TextsThatAreNotNumbersFallBack) {
    const ChartLimits typed = chartLimitsFromTexts("100000", "0", "120");
    EXPECT_EQ(typed.rMax, 100000);
    EXPECT_EQ(typed.tMin, 0);
    EXPECT_EQ(typed.tMax, 120);
    const ChartLimits fallback = chartLimitsFromTexts("abc", "x", "x");
    EXPECT_EQ(fallback.rMax, 10000);
    EXPECT_EQ(fallback.tMin, -196);
    EXPECT_EQ(fallback.tMax, 300);
    EXPECT_EQ(chartLimitsFromTexts("1e3", "-20.5", "").tMin, -196);  // whole degrees only
    EXPECT_EQ(chartLimitsFromTexts("1e3", "-20", "").rMax, 1000);
}

// Each value label sits on its grid line, neighbours never read the same (more digits in a
// narrow range) and no label covers another.
TEST_F(TemperatureChartTest, LabelsSitOnTheirLinesReadApartAndNeverOverlap) {
    struct Case {
        double yMin, yMax, xMin, xMax;
    };
    for (const Case& c :
         {Case{0, 10000, -196, 300}, Case{100, 100.08, 20, 20.4}, Case{0, 2.5e7, -0.5, 0.5}}) {
        SCOPED_TRACE(::testing::Message() << c.yMax << " " << c.xMin);
        const auto texts = tarvix::testing::drawnTexts({kWidth, kHeight}, [&](QImage& picture) {
            drawTemperatureChart(picture, "R,Om", "T,C", c.yMin, c.yMax, c.xMin, c.xMax, *record);
        });
        ASSERT_EQ(texts.size(), 19u);
        EXPECT_TRUE(tarvix::testing::overlappingTexts(texts).empty());
        for (int i = 0; i < 9; ++i) {
            const QRectF& box = texts[static_cast<size_t>(i)].box;
            EXPECT_LE(box.top() - 1, kGridRows[i]) << i;
            EXPECT_GE(box.bottom() + 1, kGridRows[i]) << i;
            const QRectF& under = texts[static_cast<size_t>(9 + i)].box;
            EXPECT_NEAR(under.center().x(), kGridColumns[i], under.width() / 2 + 1) << i;
        }
        for (size_t i = 1; i < 18; ++i) {
            if (i != 9) {
                EXPECT_NE(texts[i].text, texts[i - 1].text) << i;
            }
        }
    }
}
