// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <vector>

#include "plot/CurveSource.h"
#include "plot/PlotPictures.h"
#include "plot/PlotRenderer.h"
#include "plot/PlotSession.h"
#include "plot/StraightenedPlot.h"

namespace tarvix::plot {
namespace {

using analysis::Mechanism;

TEST(StraightenedPlot, EachStraighteningNamesWhatItPlots) {
    const struct {
        Mechanism mechanism;
        const char* x;
        const char* y;
        const char* title;
    } cases[] = {
        {Mechanism::Ohm, "|V| (V)", "|I| (A)", "Ohm's law plot"},
        {Mechanism::PooleFrenkel, "√|V| (V^½)", "ln(|I|/|V|)", "Poole–Frenkel plot"},
        {Mechanism::SpaceCharge, "log10|V|", "log10|I|", "Space-charge-limited plot"},
        {Mechanism::Tunnel, "|V| (V)", "ln(|I|/V²)", "Tunnelling plot"},
        {Mechanism::Schottky, "√|V| (V^½)", "ln|I|", "Schottky plot"},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.title);
        EXPECT_EQ(axisTitle(straightenedX(one.mechanism), false), QString::fromUtf8(one.x));
        EXPECT_EQ(axisTitle(straightenedY(one.mechanism), false), QString::fromUtf8(one.y));
        const std::vector<double> x{1, 2};
        const std::vector<double> y{3, 5};
        const CurvePlot plot = straightenedPlot({one.mechanism, 2, 3, x, y, {1, 2, true}, 0}, {});
        EXPECT_EQ(plot.title, QString::fromUtf8(one.title));
    }
}

TEST(StraightenedPlot, CarriesThePointsTheLineAndTheFitsNumbers) {
    const std::vector<double> x{1.0, 1.5, 2.0};
    const std::vector<double> y{-20.0, -19.0, -18.0};
    analysis::FitReport report;
    report.mechanism = Mechanism::PooleFrenkel;
    report.line = {-22.0, 2.0, true};
    report.statistics = {0.01, 0.02, 1.0, 3};
    report.windowLow = 1;
    report.windowHigh = 4;
    const CurvePlot plot =
        straightenedPlot({Mechanism::PooleFrenkel, 2, 3, x, y, report.line, 0xFF112233}, report);
    EXPECT_EQ(plot.name, "Series 3, segment 2");
    EXPECT_EQ(plot.xs, (std::vector<float>{1.0f, 1.5f, 2.0f}));
    EXPECT_EQ(plot.ys.back(), -18.0f);
    ASSERT_TRUE(plot.fit);
    EXPECT_EQ(plot.fit->slope, 2.0);
    EXPECT_EQ(plot.fit->intercept, -22.0);
    EXPECT_EQ(plot.fitText, analysis::fitResultLines(report));
    EXPECT_TRUE(plot.fitText.join('\n').contains("εr")) << plot.fitText.join('\n').toStdString();

    // Points that set no line (all at one voltage) are shown without one.
    const CurvePlot lineless =
        straightenedPlot({Mechanism::Ohm, 1, 1, x, y, {-19.0, 0.0, false}, 0}, std::nullopt);
    EXPECT_FALSE(lineless.fit);
    EXPECT_TRUE(lineless.fitText.isEmpty());
}

CurvePlot curve(const QString& yName, float scale) {
    CurvePlot plot;
    plot.title = QStringLiteral("Test plot");
    plot.x = {QStringLiteral("x"), QString(), false, false};
    plot.y = {yName, QString(), false, false};
    plot.name = QStringLiteral("curve");
    plot.colour = qRgb(0, 0x72, 0xB2);
    for (int p = 0; p <= 10; ++p) {
        plot.xs.push_back(static_cast<float>(p));
        plot.ys.push_back(scale * static_cast<float>(p));
    }
    plot.fit = FitLine{scale, 0.0};
    plot.fitText = {QStringLiteral("slope %1").arg(scale)};
    return plot;
}

// The same curve with new numbers keeps the operator's zoom; another curve, or other
// quantities, start afresh.
TEST(CurveSource, AnotherCurveStartsAfreshAndTheSameOneKeepsTheZoom) {
    CurveSource source;
    EXPECT_TRUE(source.series().empty());
    source.set(curve(QStringLiteral("y"), 1.0f));
    PlotSession session(source);
    session.refresh();
    ASSERT_EQ(session.series().size(), 1u);
    EXPECT_TRUE(session.series()[0].dots);
    EXPECT_EQ(session.series()[0].name, "curve");
    const PlotView zoomed{{2, 4, false}, {2, 4, false}};
    const auto zoomIn = [&] {
        session.show(zoomed, true);
        session.setShown(1, false, false);
        ASSERT_FALSE(session.zoom().autoscaled());
    };
    zoomIn();
    source.setFitText({QStringLiteral("slope 1 ± 0")});
    EXPECT_TRUE(session.refresh());
    EXPECT_EQ(session.view(), zoomed);
    EXPECT_FALSE(session.series()[0].shown);
    EXPECT_EQ(session.scene().fitText, QStringList{QStringLiteral("slope 1 ± 0")});
    source.set(curve(QStringLiteral("y"), 1.0f), false);
    session.refresh();
    EXPECT_EQ(session.view(), zoomed);

    source.set(curve(QStringLiteral("y"), 2.0f));
    session.refresh();
    EXPECT_TRUE(session.zoom().autoscaled());
    EXPECT_TRUE(session.series()[0].shown);
    EXPECT_NEAR(session.view().y.high, 20.0, 2.0);
    EXPECT_EQ(session.scene().fit->slope, 2.0);

    zoomIn();
    session.setLogY(true);
    CurvePlot renamed = curve(QStringLiteral("ln y"), 2.0f);
    source.set(renamed, false);
    session.refresh();
    EXPECT_TRUE(session.zoom().autoscaled());
    EXPECT_FALSE(session.logY());
    EXPECT_EQ(session.yQuantity().name, "ln y");
    EXPECT_EQ(session.scene().yQuantity.name, "ln y");
}

// The points are dots, the fitted line runs across the whole plot, and a picture carries
// the fit's numbers and the line's entry in the legend.
TEST(CurveSource, PicturesShowTheDotsTheLineAndTheFitsNumbers) {
    CurveSource source;
    CurvePlot plot = curve(QStringLiteral("y"), 1.0f);
    plot.fit = FitLine{-1.0, 10.0};  // falling through the rising points
    plot.fitText = {QStringLiteral("slope −1.000 ± 0.001"), QStringLiteral("εr = 3.10 ± 0.02")};
    source.set(plot);
    PlotSession session(source);
    session.refresh();
    const QSize size(600, 400);
    const QImage image = PlotPictures::image(size, 1.0, session.scene());
    const PlotFrame frame = session.frame(size);
    const auto inkNear = [&](double x, double y, QRgb colour) {
        const QPoint at(static_cast<int>(frame.x.pixel(x)), static_cast<int>(frame.y.pixel(y)));
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                if (image.pixel(at + QPoint(dx, dy)) == colour) {
                    return true;
                }
            }
        }
        return false;
    };
    const QRgb lineColour = qRgb(0, 0, 0);
    EXPECT_TRUE(inkNear(2.0, 8.0, lineColour));  // the line, away from the points
    EXPECT_TRUE(inkNear(8.0, 2.0, lineColour));
    EXPECT_TRUE(inkNear(1.0, 1.0, plot.colour));  // a dot
    // Dots are not joined: halfway between two points lies no ink of theirs.
    EXPECT_FALSE(inkNear(2.5, 2.5, plot.colour));

    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("fit.svg"));
    ASSERT_EQ(PlotPictures::write(svg, size, session.scene()), "");
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    // A letter of another font is a text of its own in SVG.
    EXPECT_TRUE(text.contains("r = 3.10 ± 0.02") && text.contains(">ε<")) << text.toStdString();
    EXPECT_TRUE(text.contains("slope −1.000 ± 0.001"));
    EXPECT_TRUE(text.contains("fitted line"));
    EXPECT_TRUE(text.contains(">curve<")) << text.toStdString();
}

}  // namespace
}  // namespace tarvix::plot
