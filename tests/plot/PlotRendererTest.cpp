// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>

#include "plot/PlotPictures.h"
#include "plot/PlotRenderer.h"
#include "plot/PlotSession.h"
#include "plot/SeriesLayerCache.h"
#include "plot/SeriesRaster.h"
#include "plot/VectorSource.h"
#include "series/ChartCanvas.h"

namespace tarvix::plot {
namespace {

using testing::VectorSource;

constexpr QRgb kInk = qRgb(0x00, 0x72, 0xB2);

QImage transparentImage(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Every point joined to the next, as a plot without the column reduction would draw it.
QImage everyPointJoined(const PlotSegment& segment, const AxisMap& x, const AxisMap& y,
                        QSize size) {
    QImage image = transparentImage(size);
    const auto set = [&](int px, int py) {
        if (px >= 0 && py >= 0 && px < size.width() && py < size.height()) {
            reinterpret_cast<QRgb*>(image.scanLine(py))[px] = kInk;
        }
    };
    QPoint previous;
    for (int p = 0; p < segment.count; ++p) {
        const QPoint at(static_cast<int>(std::floor(x.pixel(segment.x[p]) + 0.5)),
                        static_cast<int>(std::floor(y.pixel(segment.y[p]) + 0.5)));
        if (p > 0) {
            series::walkLine(previous.x(), previous.y(), at.x(), at.y(), 100000, set);
        }
        set(at.x(), at.y());
        previous = at;
    }
    return image;
}

// A dense noisy curve drawn column by column sets exactly the pixels of joining every point.
TEST(SeriesRaster, ColumnReductionSetsThePixelsOfEveryPointJoined) {
    std::vector<float> vx;
    std::vector<float> vy;
    for (int p = 0; p < 20000; ++p) {
        vx.push_back(static_cast<float>(p) / 20000.0f);
        vy.push_back(std::sin(static_cast<float>(p) * 0.01f) + 0.3f * std::sin(p * 1.7f));
    }
    const PlotSegment segment{1, vx.data(), vy.data(), static_cast<int>(vx.size()), {}};
    const QSize size(300, 200);
    const AxisMap x({0, 1, false}, 0, 299);
    const AxisMap y({-1.5, 1.5, false}, 199, 0);
    QImage drawn = transparentImage(size);
    SeriesRaster(drawn, x, y).drawSegment(segment, kInk);
    EXPECT_EQ(drawn, everyPointJoined(segment, x, y, size));
}

TEST(SeriesRaster, FastLogarithmIsWithinAMillionthOfADecade) {
    for (float value = 1.2e-38f; value < 1e38f; value *= 1.0137f) {
        ASSERT_NEAR(SeriesRaster::fastLog10(value), std::log10(static_cast<double>(value)), 1e-6)
            << value;
    }
    EXPECT_EQ(SeriesRaster::fastLog10(1.0f), 0.0);
    EXPECT_NEAR(SeriesRaster::fastLog10(1e-12f), -12.0, 1e-6);
}

TEST(SeriesRaster, MissingAndLogHiddenPointsBreakTheLine) {
    const std::vector<float> vx = {0, 1, 2, 3, 4};
    const std::vector<float> vy = {1e-6f, 1e-6f, 0, 1e-6f, 1e-6f};
    const PlotSegment segment{1, vx.data(), vy.data(), 5, {}};
    const AxisMap x({0, 4, false}, 0, 40);
    const AxisMap y({1e-9, 1e-3, true}, 20, 0, true);
    QImage drawn = transparentImage(QSize(42, 22));
    SeriesRaster(drawn, x, y).drawSegment(segment, kInk);
    const int row = 10;
    EXPECT_EQ(drawn.pixel(5, row), kInk);
    EXPECT_EQ(drawn.pixel(20, row), 0u) << "no line through the zero current";
    EXPECT_EQ(drawn.pixel(35, row), kInk);
}

TEST(SeriesLayerCache, DrawsAddedSeriesOverTheLayerAndRedrawsForAnythingElse) {
    VectorSource source;
    source.add({{0, 1}, {0, 1}});
    PlotSession session(source);
    session.refresh();
    SeriesLayerCache cache;
    const QSize size(100, 80);
    const AxisMap x({0, 1, false}, 0, 99);
    const AxisMap y({0, 1, false}, 79, 0);
    cache.layer(session.series(), x, y, size);
    source.add({{0, 1}, {1, 0}});
    session.refresh();
    const QImage& layer = cache.layer(session.series(), x, y, size);
    EXPECT_EQ(cache.builds(), 1);
    EXPECT_EQ(cache.seriesAdded(), 1);
    EXPECT_EQ(layer.pixel(99, 79), seriesColour(2));
    session.setShown(2, false, false);
    EXPECT_EQ(cache.layer(session.series(), x, y, size).pixel(99, 79), 0u);
    EXPECT_EQ(cache.builds(), 2);
    cache.layer(session.series(), AxisMap({0, 2, false}, 0, 99), y, size);
    EXPECT_EQ(cache.builds(), 3);
}

// Enough crossing series for two drawing threads: the layer is the one drawing of all of
// them in order, whichever thread drew which series and whenever it started; and drawn from
// the last to the first keeping what is drawn, the raster gives the same picture.
TEST(SeriesLayerCache, TwoThreadsDrawWhatOneDrawingInOrderDraws) {
    VectorSource source;
    for (int c = 0; c < 12; ++c) {
        VectorSource::Curve curve;
        for (int p = 0; p < 50000; ++p) {
            curve.x.push_back(static_cast<float>(p) / 50000.0f);
            curve.y.push_back(0.5f + 0.45f * std::sin(static_cast<float>(p) * 2e-4f * (c + 1) + c));
        }
        source.add(curve);
    }
    PlotSession session(source);
    session.refresh();
    const QSize size(240, 160);
    const AxisMap x({0, 1, false}, 0, 239);
    const AxisMap y({0, 1, false}, 159, 0);
    QImage forward = transparentImage(size);
    QImage backward = transparentImage(size);
    SeriesRaster inOrder(forward, x, y);
    SeriesRaster keeping(backward, x, y, SeriesRaster::Cover::Keep);
    for (std::size_t s = 0; s < session.series().size(); ++s) {
        const PlotSeries& one = session.series()[s];
        inOrder.drawSeries(one, one.colour);
        const PlotSeries& last = session.series()[session.series().size() - 1 - s];
        keeping.drawSeries(last, last.colour);
    }
    EXPECT_EQ(backward, forward);
    // Drawn on two threads, started ahead or not; a start for other axes is dropped.
    for (const AxisMap& startedFor : {AxisMap(), x, AxisMap({0, 2, false}, 0, 239)}) {
        SeriesLayerCache cache;
        if (startedFor.scale() != 1.0) {
            cache.prepare(session.series(), startedFor, y, size);
        }
        EXPECT_EQ(cache.layer(session.series(), x, y, size), forward) << startedFor.scale();
        EXPECT_EQ(cache.builds(), 1);
    }
}

QImage paintScene(const PlotSession& session, QSize size, SeriesLayerCache* cache) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    PlotRenderer::paint(painter, session.frame(size), session.scene(), cache, 1.0);
    return image;
}

// White ground, a black frame round the plot, the series in its colour inside it; the same
// whether the series come from the layer or are stroked.
TEST(PlotRenderer, PaintsSeriesInsideABlackFrameOnWhite) {
    VectorSource source;
    source.add({{-1, 1}, {0, 0}});
    PlotSession session(source);
    session.refresh();
    SeriesLayerCache cache;
    for (SeriesLayerCache* layers : {&cache, static_cast<SeriesLayerCache*>(nullptr)}) {
        const QImage image = paintScene(session, QSize(500, 300), layers);
        const PlotFrame frame = session.frame(QSize(500, 300));
        EXPECT_EQ(image.pixel(1, 1), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(frame.plot.left(), frame.plot.center().y()), qRgb(0, 0, 0));
        // The line lies on the row under its height, or across two when on their border.
        const int row = static_cast<int>(frame.y.pixel(0.0));
        const int column = frame.plot.left() + 40;
        EXPECT_TRUE(image.pixel(column, row) == seriesColour(1) ||
                    image.pixel(column, row - 1) != qRgb(255, 255, 255));
    }
}

// In the window the highlighted series is three pixels thick: the line's pixel column
// with one more above and below it; the same series not highlighted is one pixel thick.
TEST(PlotRenderer, TheWindowDrawsTheHighlightedSeriesThicker) {
    VectorSource source;
    source.add({{-1, 1}, {0, 0}});
    source.add({{-1, 1}, {1e-6f, 1e-6f}});
    PlotSession session(source);
    session.refresh();
    const QSize size(500, 300);
    const PlotFrame frame = session.frame(size);
    const int column = frame.plot.left() + 100;
    const auto rowsOfColour = [&](const QImage& image) {
        int rows = 0;
        for (int row = frame.plot.top() + 1; row < frame.plot.bottom(); ++row) {
            rows += image.pixel(column, row) == seriesColour(1) ? 1 : 0;
        }
        return rows;
    };
    SeriesLayerCache cache;
    EXPECT_EQ(rowsOfColour(paintScene(session, size, &cache)), 1);
    session.setHighlighted(1, false);
    EXPECT_EQ(rowsOfColour(paintScene(session, size, &cache)), 3);
}

TEST(PlotPictures, SvgForAPaperHasTitlesAndLegendOnWhite) {
    VectorSource source;
    source.add({{-1, 0, 1}, {-1e-6f, 0, 2e-6f}});
    PlotSession session(source);
    session.setDecorator([](PlotSeries& series) { series.comment = QStringLiteral("annealed"); });
    session.refresh();
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("plot.svg"));
    ASSERT_EQ(PlotPictures::write(svg, QSize(640, 400), session.scene()), "");
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("Voltage (V)"));
    EXPECT_TRUE(text.contains("Current (A)"));
    EXPECT_TRUE(text.contains("#1 annealed"));
    EXPECT_TRUE(text.contains("fill=\"#ffffff\""));

    const QString png = dir.filePath(QStringLiteral("plot.png"));
    ASSERT_EQ(PlotPictures::write(png, QSize(640, 400), session.scene()), "");
    const QImage picture(png);
    EXPECT_EQ(picture.size(), QSize(2000, 1250));
    EXPECT_NEAR(picture.dotsPerMeterX() * 0.0254, 300.0, 0.5);
    EXPECT_EQ(picture.pixel(3, 3), qRgb(255, 255, 255));

    const QString pdf = dir.filePath(QStringLiteral("plot.pdf"));
    ASSERT_EQ(PlotPictures::write(pdf, QSize(640, 400), session.scene()), "");
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(5) == "%PDF-");

    EXPECT_EQ(PlotPictures::write(dir.filePath(QStringLiteral("plot.gif")), QSize(640, 400),
                                  session.scene()),
              "the name must end in .png, .svg or .pdf");
    EXPECT_EQ(PlotPictures::write(dir.filePath(QStringLiteral("no/such/plot.svg")), QSize(640, 400),
                                  session.scene()),
              "File not found");
}

}  // namespace
}  // namespace tarvix::plot
