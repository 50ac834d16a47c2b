// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/LineFit.h"
#include "analysis/Mechanism.h"
#include "analysis/PointSelection.h"
#include "analysis/ResistanceText.h"

using namespace tarvix::analysis;

namespace {

struct Taken {
    int count = 0;
    std::vector<double> x = std::vector<double>(16);
    std::vector<double> y = std::vector<double>(16);
};

// Points 1..n of a segment as the store keeps them: index 0 is the count.
struct Segment {
    std::vector<float> voltage{0};
    std::vector<float> current{0};
    Segment(std::initializer_list<std::pair<float, float>> points) {
        for (const auto& [v, i] : points) {
            voltage.push_back(v);
            current.push_back(i);
        }
        voltage[0] = current[0] = static_cast<float>(points.size());
    }
    int count() const { return static_cast<int>(voltage.size()) - 1; }
};

Taken take(const Segment& segment, Mechanism mechanism, VoltageWindow& window) {
    Taken taken;
    taken.count = selectPoints(segment.voltage.data(), segment.current.data(), segment.count(),
                               mechanism, window, taken.x, taken.y);
    return taken;
}

struct OpenWindow {
    float manual = 0;
    float cursor = 0;
    VoltageWindow window{"0", "0", -10, 10, &manual, &cursor};
};

}  // namespace

TEST(Straightening, EachMechanismTransformsTheMagnitudes) {
    const Segment segment{{-4.0f, -2e-6f}};
    struct Expected {
        Mechanism mechanism;
        double x;
        double y;
    };
    const Expected cases[] = {
        {Mechanism::Ohm, 4.0, double(2e-6f)},
        {Mechanism::PooleFrenkel, 2.0, std::log(double(2e-6f) / 4.0)},
        {Mechanism::SpaceCharge, std::log(4.0) / std::log(10.0),
         std::log(double(2e-6f)) / std::log(10.0)},
        {Mechanism::Tunnel, 4.0, std::log(double(2e-6f) / 16.0)},
        {Mechanism::Schottky, 2.0, std::log(double(2e-6f))},
    };
    for (const Expected& expected : cases) {
        OpenWindow open;
        const Taken taken = take(segment, expected.mechanism, open.window);
        ASSERT_EQ(taken.count, 1);
        EXPECT_DOUBLE_EQ(taken.x[0], expected.x) << static_cast<int>(expected.mechanism);
        EXPECT_DOUBLE_EQ(taken.y[0], expected.y) << static_cast<int>(expected.mechanism);
    }
}

TEST(Straightening, ZeroCurrentsAndVoltagesNeverEnterWhateverTheWindow) {
    const Segment segment{{0.0f, 1e-6f}, {1.0f, 0.0f}, {-1.0f, -1e-6f}, {2.0f, 4e-6f}};
    OpenWindow open;
    const Taken taken = take(segment, Mechanism::Ohm, open.window);
    ASSERT_EQ(taken.count, 2);
    EXPECT_DOUBLE_EQ(taken.x[0], 1.0);  // the negative branch folds onto the positive one
    EXPECT_DOUBLE_EQ(taken.x[1], 2.0);
}

TEST(Straightening, ACaptionOfExactlyZeroLiftsThatEndToTheChartRange) {
    const Segment segment{{-3.0f, 1e-6f}, {-1.0f, 1e-6f}, {1.0f, 1e-6f}, {3.0f, 1e-6f}};

    float manual = 0.5f;
    float cursor = 0.5f;
    VoltageWindow bothOpen{"0", "0", -2.5, 2.5, &manual, &cursor};
    EXPECT_EQ(take(segment, Mechanism::Ohm, bothOpen).count, 2);
    EXPECT_EQ(manual, -2.5f);  // the window takes the range's values
    EXPECT_EQ(cursor, 2.5f);

    manual = -1.0f;
    cursor = 1.0f;
    VoltageWindow labelled{"-1", "1", -2.5, 2.5, &manual, &cursor};
    EXPECT_EQ(take(segment, Mechanism::Ohm, labelled).count, 2);  // both ends inclusive
    EXPECT_EQ(manual, -1.0f);

    // Only the exact text "0" counts: "0.0" or "0,000" keep the voltage as a limit.
    manual = 0.0f;
    cursor = 5.0f;
    VoltageWindow notZeroText{"0.0", "0,000", -2.5, 2.5, &manual, &cursor};
    EXPECT_EQ(take(segment, Mechanism::Ohm, notZeroText).count, 2);  // 1 V and 3 V
    EXPECT_EQ(cursor, 5.0f);
}

TEST(Straightening, TheWindowComparesSinglePrecisionValues) {
    // 0.1 as a float is slightly above 0.1; the range end 0.1 becomes that same float.
    const Segment segment{{0.1f, 1e-6f}};
    float manual = 0;
    float cursor = 0;
    VoltageWindow window{"0", "0", 0.1, 0.1, &manual, &cursor};
    EXPECT_EQ(take(segment, Mechanism::Ohm, window).count, 1);
}

TEST(LineFit, PointsOnALineGiveItExactlyWithScatterZero) {
    const std::vector<double> x{1, 2, 3, 4};
    const std::vector<double> y{3, 5, 7, 9};
    const LineFit line = leastSquaresLine(x, y);
    ASSERT_TRUE(line.defined);
    EXPECT_DOUBLE_EQ(line.slope, 2.0);
    EXPECT_DOUBLE_EQ(line.intercept, 1.0);
    ASSERT_TRUE(scatterPercent(x, y, line).has_value());
    EXPECT_EQ(scatterText(*scatterPercent(x, y, line)), "0");
}

TEST(LineFit, ScatterIsTheMeanRelativeDeviationRoundedToATenthOfAPercent) {
    const LineFit identity{0, 1, true};
    const auto figure = [&](double deviation) {
        const std::vector<double> x{1 + deviation};
        const std::vector<double> y{1};
        return scatterText(*scatterPercent(x, y, identity));
    };
    EXPECT_EQ(figure(0.01234), "1.2");
    EXPECT_EQ(figure(0.0876), "8.8");
    EXPECT_EQ(figure(0.0625), "6.2");  // 62.5 tenths: halves go to even
    EXPECT_EQ(figure(0.12), "12");
    EXPECT_EQ(figure(1.5), "150");

    // The mean is over all points, each deviation relative to its own |y|.
    const std::vector<double> x{1, 1};
    const std::vector<double> y{2, -4};  // |1-2|/2 = 0.5, |1+4|/4 = 1.25
    EXPECT_EQ(scatterText(*scatterPercent(x, y, identity)), "87.5");
}

TEST(LineFit, DegenerateSelectionsGiveNoLineAndNoScatter) {
    const std::vector<double> one{2.5};
    const LineFit single = leastSquaresLine(one, one);
    EXPECT_FALSE(single.defined);
    EXPECT_FALSE(scatterPercent(one, one, single).has_value());

    // Equal X whose sums leave a rounding residue in the denominator still give no line.
    const std::vector<double> x{0.1, 0.1, 0.1};
    const std::vector<double> y{1, 2, 3};
    const LineFit vertical = leastSquaresLine(x, y);
    EXPECT_FALSE(vertical.defined);
    EXPECT_DOUBLE_EQ(vertical.intercept, 2.0);
    EXPECT_EQ(vertical.slope, 0.0);

    EXPECT_FALSE(leastSquaresLine({}, {}).defined);

    // A Y of exactly 0 has no relative deviation.
    const std::vector<double> x2{1, 2};
    const std::vector<double> y2{0, 1};
    const LineFit line = leastSquaresLine(x2, y2);
    ASSERT_TRUE(line.defined);
    EXPECT_FALSE(scatterPercent(x2, y2, line).has_value());
}

TEST(LineFit, ExtendedSumsKeepALargeOffsetFit) {
    // X near 1e8 with unit steps: the X sums need more than double precision to keep the
    // denominator's few significant digits.
    std::vector<double> x;
    std::vector<double> y;
    for (int k = 0; k < 5; ++k) {
        x.push_back(1e8 + k);
        y.push_back(3.0 * k + 1.0);
    }
    const LineFit line = leastSquaresLine(x, y);
    ASSERT_TRUE(line.defined);
    EXPECT_NEAR(line.slope, 3.0, 1e-6);
}

// Four significant figures in the unit the rounded figure falls in, whole units from five
// digits on, and the general form at both ends.
TEST(ResistanceText, FourFiguresInReadableRangesAndTheGeneralFormAtTheEnds) {
    const std::pair<double, const char*> cases[] = {
        {0.25, "0.25 Om"},           {1.0, "1.000 Om"},
        {1234.5, "1234 Om"},                                  // halves to even
        {99999.4, "99999 Om"},       {99999.6, "100.0 kOm"},  // no "100000 Om"
        {999999.9, "1.000 MOm"},                              // no "1000 kOm"
        {250400, "250.4 kOm"},       {1444000, "1.444 MOm"},
        {4.6e6, "4.600 MOm"},        {9.9e10, "99000 MOm"},
        {2.5e11, "250000000000 Om"}, {1e17, "1E17 Om"},
        {-500, "-500 Om"},
    };
    for (const auto& [ohms, text] : cases) {
        EXPECT_EQ(resistanceText(ohms), QString::fromUtf8(text)) << ohms;
    }
    EXPECT_EQ(resistanceTextForSlope(1e-3, true), "1000 Om");
    EXPECT_EQ(resistanceTextForSlope(0, true), "не определено");
    EXPECT_EQ(resistanceTextForSlope(1e-3, false), "не определено");
}

TEST(Mechanisms, KeepTheirResultLabelsAndMessages) {
    EXPECT_EQ(resultLabelName(Mechanism::Ohm), "Label17");
    EXPECT_EQ(resultLabelName(Mechanism::PooleFrenkel), "Label16");
    EXPECT_EQ(resultLabelName(Mechanism::SpaceCharge), "Label20");
    EXPECT_EQ(resultLabelName(Mechanism::Tunnel), "Label21");
    EXPECT_EQ(resultLabelName(Mechanism::Schottky), "Label22");

    EXPECT_EQ(emptySelectionMessage(Mechanism::Ohm),
              "In the selected area there are no experimental data");
    for (Mechanism m : {Mechanism::PooleFrenkel, Mechanism::SpaceCharge, Mechanism::Tunnel,
                        Mechanism::Schottky}) {
        EXPECT_EQ(emptySelectionMessage(m), QString::fromUtf8("в выбранной области нет точек"));
    }
    EXPECT_EQ(badNumbersMessage(Mechanism::Ohm), QString::fromUtf8("наверные значения S1 или S2"));
    EXPECT_EQ(badNumbersMessage(Mechanism::PooleFrenkel),
              QString::fromUtf8("наверные значения S1 или S2"));
    EXPECT_EQ(badNumbersMessage(Mechanism::SpaceCharge),
              QString::fromUtf8("неверные занчения S1 или S2"));
    EXPECT_EQ(badNumbersMessage(Mechanism::Tunnel),
              QString::fromUtf8("неверное значение S1 или S2"));
    EXPECT_EQ(badNumbersMessage(Mechanism::Schottky),
              QString::fromUtf8("неверное значение S1 или S2"));
}
