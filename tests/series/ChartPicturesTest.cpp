// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QMap>
#include <QXmlStreamReader>
#include <vector>

#include "series/ChartCanvas.h"
#include "series/ChartPictures.h"
#include "series/ChartTicks.h"

using namespace tarvix::series;

namespace {

// A small chart made of every primitive the renderers use.
void drawSample(QImage& image) {
    fillImage(image, kLime);
    drawLine(image, 10, 10, 90, 10, kWhite);
    drawLine(image, 10, 10, 10, 50, kRed);
    plotFivePixels(image, 40, 30, kBlack);
    plotSquare(image, 60, 30, 2, kBlack);
    drawLabel(image, 5, 55, QStringLiteral("-1.5e-6"));
}

QMap<QString, int> elementCounts(const QByteArray& xml, QString* error) {
    QMap<QString, int> counts;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            ++counts[reader.name().toString()];
        }
    }
    *error = reader.hasError() ? reader.errorString() : QString();
    return counts;
}

}  // namespace

// The SVG is a vector picture: well-formed XML of paths and text, no embedded bitmap, at the
// asked scale.
TEST(ChartPictures, SvgIsVectorLinesAndText) {
    for (double scale : {1.0, 2.0}) {
        const QByteArray svg = chartSvg(QSize(100, 70), scale, drawSample, "chart");
        QString error;
        const QMap<QString, int> counts = elementCounts(svg, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_GE(counts.value("path"), 3);
        EXPECT_EQ(counts.value("text"), 1);
        EXPECT_EQ(counts.value("image"), 0);
        EXPECT_TRUE(svg.contains("-1.5e-6"));
        EXPECT_TRUE(svg.contains(
            QStringLiteral("viewBox=\"0 0 %1 %2\"").arg(100 * scale).arg(70 * scale).toLatin1()))
            << svg.left(600).toStdString();
    }
}

// At its drawn size the picture is the window's pixels; at twice it, things sit twice as far.
TEST(ChartPictures, PngAtDrawnSizeIsThePixelsAndTwiceScalesTheDrawing) {
    QImage direct = makeChartImage(100, 70);
    drawSample(direct);
    EXPECT_EQ(chartImage(QSize(100, 70), 1, drawSample), direct);
    const QImage twice = chartImage(QSize(100, 70), 2, drawSample);
    ASSERT_EQ(twice.size(), QSize(200, 140));
    EXPECT_EQ(twice.pixel(100, 21), kWhite);  // the line at row 10 covers rows 20 and 21
    EXPECT_EQ(twice.pixel(21, 60), kRed);
    EXPECT_EQ(twice.pixel(120, 60), kBlack);  // the square around (60, 30)
    EXPECT_EQ(twice.pixel(150, 100), kLime);
}

TEST(ChartTicks, NeighboursNeverReadTheSame) {
    struct Case {
        double low, high;
        int minDecimals;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {0, 16, 2, "0.00", "1.00"},             // everyday size: the least decimals
        {0, 3.8e-6, 2, "0", "2.4e-7"},          // small: mantissa and exponent
        {1.0, 1.0016, 2, "1.0000", "1.0001"},   // narrow: more decimals
        {-1e-16, 1.5e-15, 1, "-1.0e-16", "0"},  // the zero tick reads 0
        {-0.5, 0.5, 2, "-0.50", "-0.44"},       // 0.0625 steps: halves to even
        {5, 5, 3, "5.000", "5.000"},            // flat: no more digits help
    };
    for (const Case& c : cases) {
        std::vector<double> values;
        for (int k = 0; k <= 16; ++k) {
            values.push_back(c.low + k * (c.high - c.low) / 16);
        }
        const QStringList texts = tickTexts(values, c.minDecimals);
        ASSERT_EQ(texts.size(), 17);
        EXPECT_EQ(texts[0], c.first) << c.low << ".." << c.high;
        EXPECT_EQ(texts[1], c.second) << c.low << ".." << c.high;
        if (c.low != c.high) {
            EXPECT_TRUE(std::adjacent_find(texts.begin(), texts.end()) == texts.end());
        }
    }
}

TEST(ChartTicks, TheLabelStrideSkipsLabelsUntilNoneTouch) {
    const auto stride = [](int pitch, int width) {
        std::vector<QRect> boxes;
        for (int k = 0; k <= 16; ++k) {
            boxes.emplace_back(k * pitch, 0, width, 12);
        }
        return labelStride(boxes);
    };
    EXPECT_EQ(stride(40, 39), 1);  // last width that leaves a pixel between
    EXPECT_EQ(stride(40, 40), 2);  // first that touches
    EXPECT_EQ(stride(40, 79), 2);
    EXPECT_EQ(stride(40, 80), 4);
    EXPECT_GE(stride(0, 10), 17);  // all on one spot: the first alone
}
