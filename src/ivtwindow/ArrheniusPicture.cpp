// SPDX-License-Identifier: GPL-3.0-or-later
#include "ivtwindow/ArrheniusPicture.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

#include "ivtwindow/ArrheniusCurve.h"
#include "plot/Autoscale.h"
#include "plot/PlotFrame.h"
#include "plot/PlotPictures.h"
#include "plot/PlotScene.h"
#include "plot/SeriesPalette.h"

namespace tarvix::ivtwindow {

namespace {

plot::PlotSeries seriesOf(int number, const QString& name, const std::vector<float>& x,
                          const std::vector<float>& y, QRgb colour) {
    plot::PlotSeries series;
    series.key = number;
    series.number = number;
    series.comment = name;
    series.colour = colour;
    plot::PlotSegment segment;
    segment.x = x.data();
    segment.y = y.data();
    segment.count = static_cast<int>(x.size());
    series.segments.push_back(segment);
    return series;
}

// Each series a ring, so that the points show where the fitted line covers their line.
void markPoints(QImage& image, const plot::PlotFrame& frame, const std::vector<float>& x,
                const std::vector<float>& y) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(plot::seriesColour(1)), 1.5));
    for (std::size_t i = 0; i < x.size(); ++i) {
        painter.drawEllipse(QPointF(frame.x.pixel(x[i]), frame.y.pixel(y[i])), 3.5, 3.5);
    }
}

}  // namespace

QImage arrheniusPicture(QSize size, const std::vector<ivtemp::ArrheniusPoint>& points,
                        const std::optional<ivtemp::ArrheniusFit>& fit) {
    std::vector<ivtemp::ArrheniusPoint> sorted = points;
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.inverseKilokelvin() < b.inverseKilokelvin();
    });
    std::vector<float> x;
    std::vector<float> y;
    plot::ValueBox xBox;
    plot::ValueBox yBox;
    for (const auto& point : sorted) {
        x.push_back(static_cast<float>(point.inverseKilokelvin()));
        y.push_back(static_cast<float>(point.lnAmps));
        xBox.take(x.back(), false);
        yBox.take(y.back(), false);
    }
    std::vector<float> fitX;
    std::vector<float> fitY;
    if (fit && !x.empty()) {
        for (const float at : {x.front(), x.back()}) {
            fitX.push_back(at);
            fitY.push_back(static_cast<float>(fit->intercept + fit->slope * at));
            yBox.take(fitY.back(), false);
        }
    }
    xBox.finish();
    yBox.finish();
    plot::PlotScene scene;
    const plot::CurvePlot curve = arrheniusCurve(points, fit);
    scene.xQuantity = curve.x;
    scene.yQuantity = curve.y;
    if (!xBox.empty(false)) {
        scene.view = {plot::autoscaleRange(xBox, false), plot::autoscaleRange(yBox, false)};
        scene.series.push_back(
            seriesOf(1, QStringLiteral("measured"), x, y, plot::seriesColour(1)));
    } else {
        scene.view = {{0.0, 1.0, false}, {0.0, 1.0, false}};
        scene.notice = QStringLiteral("no series with temperatures yet");
    }
    if (!fitX.empty()) {
        scene.series.push_back(
            seriesOf(2, QStringLiteral("fit"), fitX, fitY, plot::seriesColour(2)));
    }
    QImage image = plot::PlotPictures::image(size, 1.0, scene);
    markPoints(image, plot::PlotFrame::of(size, scene), x, y);
    return image;
}

}  // namespace tarvix::ivtwindow
