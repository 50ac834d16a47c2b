// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "FakeAnalysisHost.h"
#include "analysis/AnalysisActions.h"
#include "analysis/AnalysisChart.h"
#include "analysis/FitReport.h"
#include "series/ChartCanvas.h"
#include "support/ChartLabels.h"

using namespace tarvix::analysis;
using tarvix::analysis::testing::FakeAnalysisHost;
using tarvix::series::SeriesStore;

namespace {

constexpr int kWidth = 633;  // PaintBox1
constexpr int kHeight = 425;

// A current that follows each mechanism's law exactly, so its straightening is a line.
struct Law {
    Mechanism mechanism;
    double (*current)(double volts);
};

const Law kLaws[] = {
    {Mechanism::Ohm, [](double v) { return v / 1.444e6; }},
    {Mechanism::PooleFrenkel, [](double v) { return v * std::exp(-20 + 2 * std::sqrt(v)); }},
    {Mechanism::SpaceCharge, [](double v) { return 1e-6 * v * v; }},
    {Mechanism::Tunnel, [](double v) { return v * v * std::exp(-15 - 0.5 * v); }},
    {Mechanism::Schottky, [](double v) { return std::exp(-25 + 3 * std::sqrt(v)); }},
};

struct Fixture {
    std::unique_ptr<SeriesStore> store = std::make_unique<SeriesStore>();
    QImage chart = tarvix::series::makeChartImage(kWidth, kHeight);
    double voltageMin = -6;
    double voltageMax = 6;
    float manualVoltage = 0;
    float cursorVoltage = 0;
    FakeAnalysisHost host;
    AnalysisState state;
    AnalysisActions actions{
        state, {*store, chart, voltageMin, voltageMax, manualVoltage, cursorVoltage}, host};

    // Ten points from 0.5 V to 5 V on both branches of a sweep, in segment 2 (blue: no
    // black label text can pass for one of its points).
    void storeLaw(const Law& law) {
        host.texts["Edit46"] = "2";
        float* voltage = store->storedVoltage(2, 1);
        float* current = store->storedCurrent(2, 1);
        int p = 0;
        for (int sign : {1, -1}) {
            for (int k = 1; k <= 10; ++k) {
                const double v = sign * 0.5 * k;
                ++p;
                voltage[p] = static_cast<float>(v);
                current[p] = static_cast<float>(sign * law.current(std::abs(v)));
            }
        }
        current[0] = static_cast<float>(p);
    }
};

// Centres of five-pixel crosses of the colour: the pixel and its four neighbours set.
std::vector<QPoint> crossCentres(const QImage& image, QRgb colour) {
    std::vector<QPoint> centres;
    const auto is = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
               image.pixel(x, y) == colour;
    };
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (is(x, y) && is(x - 1, y) && is(x + 1, y) && is(x, y - 1) && is(x, y + 1)) {
                centres.emplace_back(x, y);
            }
        }
    }
    return centres;
}

// The fitted line passes a point when it shows on both sides of the cross, beyond its arms.
bool lineThrough(const QImage& image, QPoint centre, QRgb colour) {
    const auto columnHas = [&](int x) {
        for (int y = centre.y() - 6; y <= centre.y() + 6; ++y) {
            if (y >= 0 && y < image.height() && image.pixel(x, y) == colour) {
                return true;
            }
        }
        return false;
    };
    return columnHas(centre.x() - 2) && columnHas(centre.x() + 2);
}

}  // namespace

// Whatever the I-V chart's scale, each straightening shows all its points inside the frame,
// on the fitted line, with tick labels in its own quantities that neither repeat nor overlap.
TEST(StraightenedChart, EveryMechanismShowsItsPointsOnItsLineInBothScaleModes) {
    for (bool logScale : {false, true}) {
        for (const Law& law : kLaws) {
            SCOPED_TRACE(::testing::Message() << mechanismName(law.mechanism).toStdString()
                                              << (logScale ? " log" : " linear"));
            Fixture f;
            f.host.log = logScale;
            f.storeLaw(law);
            f.actions.straighten(law.mechanism);
            ASSERT_TRUE(f.host.messages.isEmpty()) << f.host.messages.join('\n').toStdString();
            const QRgb colour = tarvix::series::fromBgr(0xFF0000);  // segment 2
            const std::vector<QPoint> centres = crossCentres(f.chart, colour);
            // The two branches fold onto one another: ten distinct points, spread over the
            // frame rather than squeezed into a corner of it.
            ASSERT_EQ(centres.size(), 10u);
            const auto [left, right] = std::minmax_element(
                centres.begin(), centres.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
            const auto [top, bottom] = std::minmax_element(
                centres.begin(), centres.end(), [](QPoint a, QPoint b) { return a.y() < b.y(); });
            EXPECT_GT(right->x() - left->x(), (kWidth - 35) * 0.4);
            EXPECT_GT(bottom->y() - top->y(), (kHeight - 36) * 0.4);
            for (const QPoint& c : centres) {
                EXPECT_GE(c.x(), 35);
                EXPECT_LT(c.x(), kWidth - 1);
                EXPECT_GE(c.y(), 1);
                EXPECT_LE(c.y(), kHeight - 37);
                EXPECT_TRUE(lineThrough(f.chart, c, colour)) << c.x() << "," << c.y();
            }
            ASSERT_TRUE(f.host.chartSource);
            const auto texts = tarvix::testing::drawnTexts({kWidth, kHeight}, f.host.chartSource);
            EXPECT_TRUE(tarvix::testing::overlappingTexts(texts).empty());
            const QString caption = texts.back().text;
            EXPECT_EQ(caption, yAxisCaption(law.mechanism) + "; " + xAxisCaption(law.mechanism));
            for (std::size_t k = 1; k + 1 < texts.size(); ++k) {
                EXPECT_NE(texts[k].text, texts[k - 1].text);
            }
        }
    }
}

// Ohm's law on 1.444 MOhm with noise: slope, intercept, their standard errors and R^2 against
// the matrix form of least squares, beta = (X'X)^-1 X'y, cov = s^2 (X'X)^-1.
TEST(StraightenedChart, TheFitNumbersMatchAnIndependentLeastSquares) {
    Fixture f;
    const double noise[] = {3e-9, -2e-9, 5e-9, 0, -4e-9, 1e-9, 2e-9, -3e-9, 4e-9, -1e-9};
    float* voltage = f.store->storedVoltage(1, 1);
    float* current = f.store->storedCurrent(1, 1);
    for (int k = 1; k <= 10; ++k) {
        voltage[k] = static_cast<float>(0.5 * k);
        current[k] = static_cast<float>(0.5 * k / 1.444e6 + noise[k - 1]);
    }
    current[0] = 10;
    f.actions.straighten(Mechanism::Ohm);

    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = 10;
    for (int k = 1; k <= 10; ++k) {
        const double x = voltage[k], y = current[k];
        sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double det = n * sxx - sx * sx;  // (X'X)^-1 = [[sxx, -sx], [-sx, n]] / det
    const double intercept = (sxx * sy - sx * sxy) / det;
    const double slope = (n * sxy - sx * sy) / det;
    double rss = 0, tss = 0;
    for (int k = 1; k <= 10; ++k) {
        const double r = current[k] - (intercept + slope * voltage[k]);
        rss += r * r;
        tss += (current[k] - sy / n) * (current[k] - sy / n);
    }
    const double s2 = rss / (n - 2);

    ASSERT_TRUE(f.state.fit.has_value());
    const FitReport& fit = *f.state.fit;
    EXPECT_NEAR(fit.line.slope, slope, std::abs(slope) * 1e-9);
    EXPECT_NEAR(fit.line.intercept, intercept, 1e-15);
    EXPECT_NEAR(fit.statistics.slopeError, std::sqrt(s2 * n / det), 1e-15);
    EXPECT_NEAR(fit.statistics.interceptError, std::sqrt(s2 * sxx / det), 1e-15);
    EXPECT_NEAR(fit.statistics.rSquared, 1 - rss / tss, 1e-9);
    EXPECT_EQ(fit.statistics.count, 10);
    EXPECT_EQ(f.host.texts.value("Label27"), QString::number(1e-6 / slope, 'f', 3) + " MOm");
    // Both readouts at "0": the window is the chart's voltage range.
    EXPECT_TRUE(f.host.fitSummary.contains("N 10")) << f.host.fitSummary.toStdString();
    EXPECT_TRUE(f.host.fitSummary.contains("-6…6 V")) << f.host.fitSummary.toStdString();

    f.actions.copyFitResults();
    const QStringList lines = f.host.clipboard.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QStringList header = lines[0].split('\t');
    const QStringList values = lines[1].split('\t');
    ASSERT_EQ(header.size(), values.size());
    EXPECT_EQ(values[header.indexOf("Mechanism")], "Ohm law");
    EXPECT_NEAR(values[header.indexOf("Slope")].toDouble(), slope, std::abs(slope) * 1e-9);
    EXPECT_NEAR(values[header.indexOf("R, Om")].toDouble(), 1 / slope, 1e-9 / slope);
    EXPECT_EQ(values[header.indexOf("N")], "10");
}

// Right after a sweep both bars stand together: the window holds no point and the message
// says how to choose it; nothing is left to copy.
TEST(StraightenedChart, AnEmptyWindowExplainsHowToChooseIt) {
    Fixture f;
    f.storeLaw(kLaws[0]);
    f.host.texts["Label23"] = "1.2";
    f.host.texts["Label24"] = "1.2";
    f.manualVoltage = f.cursorVoltage = 1.2f;
    f.actions.straighten(Mechanism::Schottky);
    ASSERT_EQ(f.host.messages.size(), 1);
    EXPECT_TRUE(f.host.messages[0].startsWith(emptySelectionMessage(Mechanism::Schottky)));
    EXPECT_TRUE(f.host.messages[0].contains("scroll bars"));
    f.actions.copyFitResults();
    EXPECT_TRUE(f.host.clipboard.isEmpty());
    EXPECT_EQ(f.host.messages.size(), 2);
}
