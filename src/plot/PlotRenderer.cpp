// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/PlotRenderer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

#include "plot/SeriesLayerCache.h"
#include "plot/SeriesPalette.h"
#include "plot/SeriesRaster.h"
#include "series/PixelColumnRun.h"

namespace tarvix::plot {

namespace {

constexpr double kTickLength = 5.0;
constexpr double kMinorTickLength = 3.0;
constexpr double kGap = 4.0;
constexpr double kFar = 1e6;  // pixel positions are held within this, for SVG and PDF
constexpr int kLegendRows = 12;
constexpr double kSwatch = 18.0;  // the line of a series' colour in the legend
constexpr double kInset = 8.0;    // of the legend and the notice from the plot's edges
const QColor kGridColour(0xE4, 0xE4, 0xE4);
const QColor kMinorGridColour(0xF2, 0xF2, 0xF2);
const QColor kFlagColour(0xD0, 0x00, 0x00);
const QColor kFitColour(0x00, 0x00, 0x00);  // apart from every series colour
constexpr double kDotRadius = 2.5;
constexpr int kFitLineSteps = 200;
constexpr QRgb kNoColour = 0;  // a box's line without a swatch; series colours are opaque

QPointF pointOf(const PlotSegment& segment, int p, const AxisMap& x, const AxisMap& y) {
    return {std::clamp(x.pixel(x.onAxis(segment.x[p])), -kFar, kFar),
            std::clamp(y.pixel(y.onAxis(segment.y[p])), -kFar, kFar)};
}

bool shownPoint(const PlotSegment& segment, int p, const AxisMap& x, const AxisMap& y) {
    return x.shows(x.onAxis(segment.x[p])) && y.shows(y.onAxis(segment.y[p]));
}

QString legendText(const PlotSeries& series) {
    const QString name = seriesLabel(series);
    return series.comment.isEmpty() ? name : QStringLiteral("%1 %2").arg(name, series.comment);
}

}  // namespace

std::vector<QPolygonF> PlotRenderer::polylines(const PlotSegment& segment, const AxisMap& x,
                                               const AxisMap& y, double columnsPerPixel) {
    std::vector<QPolygonF> lines(1);
    series::PixelColumnRun run;
    bool open = false;
    const auto flush = [&] {
        if (open) {
            for (const int p : run.pointsToDraw()) {
                lines.back().append(pointOf(segment, p, x, y));
            }
        }
        open = false;
    };
    for (int p = 0; p < segment.count; ++p) {
        if (!shownPoint(segment, p, x, y)) {
            flush();
            if (!lines.back().isEmpty()) {
                lines.emplace_back();
            }
            continue;
        }
        const double pixel = std::clamp(x.pixel(x.onAxis(segment.x[p])), -kFar, kFar);
        const int column = static_cast<int>(std::floor(pixel * columnsPerPixel));
        const double key = y.onAxis(segment.y[p]);
        if (!open || !run.extend(p, column, key)) {
            flush();
            run.start(p, column, key);
            open = true;
        }
    }
    flush();
    if (lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

namespace {

// The stored series' layer in device pixels of the plot's area, and the axes mapped onto it.
struct LayerMaps {
    QSize size;
    AxisMap x;
    AxisMap y;
};

LayerMaps layerMaps(const PlotFrame& frame, double devicePixelRatio) {
    const QSize size(static_cast<int>(std::lround(frame.plot.width() * devicePixelRatio)),
                     static_cast<int>(std::lround(frame.plot.height() * devicePixelRatio)));
    return {size, AxisMap(frame.x.range(), 0, size.width() - 1, frame.x.magnitude()),
            AxisMap(frame.y.range(), size.height() - 1, 0, frame.y.magnitude())};
}

}  // namespace

void PlotRenderer::prepareLayers(const PlotFrame& frame, const PlotScene& scene,
                                 SeriesLayerCache& layers, double devicePixelRatio) {
    const LayerMaps maps = layerMaps(frame, devicePixelRatio);
    layers.prepare(scene.series, maps.x, maps.y, maps.size);
}

void PlotRenderer::paint(QPainter& painter, const PlotFrame& frame, const PlotScene& scene,
                         SeriesLayerCache* layers, double devicePixelRatio) {
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), frame.size), Qt::white);
    paintGrid(painter, frame);
    painter.save();
    painter.setClipRect(frame.plot);
    paintSeries(painter, frame, scene, layers, devicePixelRatio);
    paintFitLine(painter, frame, scene);
    paintFlagged(painter, frame, scene);
    paintCursorAndMarkers(painter, frame, scene);
    painter.restore();
    paintAxes(painter, frame);
    paintLegendAndNotice(painter, frame, scene, layers);
    painter.restore();
}

void PlotRenderer::paintGrid(QPainter& painter, const PlotFrame& frame) {
    const QRectF plot = frame.plot;
    for (const AxisTick& tick : frame.xTicks) {
        const double at = frame.x.pixel(tick.value);
        painter.setPen(QPen(tick.text.isEmpty() ? kMinorGridColour : kGridColour, 0));
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom() + 1));
    }
    for (const AxisTick& tick : frame.yTicks) {
        const double at = frame.y.pixel(tick.value);
        painter.setPen(QPen(tick.text.isEmpty() ? kMinorGridColour : kGridColour, 0));
        painter.drawLine(QPointF(plot.left(), at), QPointF(plot.right() + 1, at));
    }
}

void PlotRenderer::stroke(QPainter& painter, const PlotFrame& frame, const PlotSeries& series,
                          double width) {
    painter.setPen(
        QPen(QColor::fromRgb(series.colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const PlotSegment& segment : series.segments) {
        for (const QPolygonF& line : polylines(segment, frame.x, frame.y, 2.0)) {
            if (line.size() == 1) {
                painter.drawPoint(line.front());
            } else {
                painter.drawPolyline(line);
            }
        }
    }
}

void PlotRenderer::paintSeries(QPainter& painter, const PlotFrame& frame, const PlotScene& scene,
                               SeriesLayerCache* layers, double devicePixelRatio) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (layers) {
        const LayerMaps maps = layerMaps(frame, devicePixelRatio);
        painter.drawImage(frame.plot.topLeft(),
                          layers->layer(scene.series, maps.x, maps.y, maps.size, devicePixelRatio));
    } else {
        for (const PlotSeries& series : scene.series) {
            if (series.shown && !series.live && !series.dots) {
                stroke(painter, frame, series, 1.0);
            }
        }
    }
    // The window draws the running run and the highlighted series as one-pixel lines made
    // thicker: a painter's stroke of tens of thousands of points takes a tenth of a second.
    const auto thick = [&](const PlotSeries& series, int pixels, double width) {
        if (layers) {
            rasterStroke(painter, frame, series, pixels, devicePixelRatio);
        } else {
            stroke(painter, frame, series, width);
        }
    };
    for (const PlotSeries& series : scene.series) {
        if (series.shown && series.live) {
            thick(series, 2, 1.5);
        }
    }
    for (const PlotSeries& series : scene.series) {
        if (series.shown && series.dots) {
            paintDots(painter, frame, series);
        }
    }
    if (scene.highlighted >= 0 && scene.highlighted < static_cast<int>(scene.series.size())) {
        const PlotSeries& series = scene.series[static_cast<std::size_t>(scene.highlighted)];
        if (series.shown && !series.dots) {
            thick(series, 3, 3.0);
        }
    }
}

// The series drawn by SeriesRaster into a scratch layer, which then goes onto the picture a
// few times, one device pixel apart, within the box of the series' points only.
void PlotRenderer::rasterStroke(QPainter& painter, const PlotFrame& frame, const PlotSeries& series,
                                int pixels, double devicePixelRatio) {
    const QSize size(static_cast<int>(std::lround(frame.plot.width() * devicePixelRatio)),
                     static_cast<int>(std::lround(frame.plot.height() * devicePixelRatio)));
    const AxisMap x(frame.x.range(), 0, size.width() - 1, frame.x.magnitude());
    const AxisMap y(frame.y.range(), size.height() - 1, 0, frame.y.magnitude());
    double left = kFar;
    double top = kFar;
    double right = -kFar;
    double bottom = -kFar;
    for (const PlotSegment& segment : series.segments) {
        for (int p = 0; p < segment.count; ++p) {
            if (shownPoint(segment, p, x, y)) {
                const QPointF at = pointOf(segment, p, x, y);
                left = std::min(left, at.x());
                right = std::max(right, at.x());
                top = std::min(top, at.y());
                bottom = std::max(bottom, at.y());
            }
        }
    }
    if (left > right) {
        return;
    }
    const QRect box =
        QRect(
            QPoint(static_cast<int>(std::floor(left)) - 1, static_cast<int>(std::floor(top)) - 1),
            QPoint(static_cast<int>(std::ceil(right)) + 1, static_cast<int>(std::ceil(bottom)) + 1))
            .intersected(QRect(QPoint(0, 0), size));
    if (box.isEmpty()) {
        return;
    }
    static thread_local QImage scratch;
    if (scratch.size() != size) {
        scratch = QImage(size, QImage::Format_ARGB32_Premultiplied);
    }
    {
        QPainter clear(&scratch);
        clear.setCompositionMode(QPainter::CompositionMode_Source);
        clear.fillRect(box, Qt::transparent);
    }
    SeriesRaster(scratch, x, y).drawSeries(series, series.colour);
    static constexpr QPoint kOffsets[] = {{0, 0}, {1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    static constexpr int kOffsetsFor[] = {1, 1, 3, 5};
    const QRectF target(frame.plot.topLeft() + QPointF(box.topLeft()) / devicePixelRatio,
                        QSizeF(box.size()) / devicePixelRatio);
    for (int k = 0; k < kOffsetsFor[std::clamp(pixels, 0, 3)]; ++k) {
        painter.drawImage(target.translated(QPointF(kOffsets[k]) / devicePixelRatio), scratch, box);
    }
}

// A filled circle per point, in the series' colour with a darker rim.
void PlotRenderer::paintDots(QPainter& painter, const PlotFrame& frame, const PlotSeries& series) {
    const QColor colour = QColor::fromRgb(series.colour);
    painter.setPen(QPen(colour.darker(160), 1.0));
    painter.setBrush(colour);
    for (const PlotSegment& segment : series.segments) {
        for (int p = 0; p < segment.count; ++p) {
            if (shownPoint(segment, p, frame.x, frame.y)) {
                painter.drawEllipse(pointOf(segment, p, frame.x, frame.y), kDotRadius, kDotRadius);
            }
        }
    }
    painter.setBrush(Qt::NoBrush);
}

// The fitted line across the plot, as a polyline so that it stays true on a log axis.
void PlotRenderer::paintFitLine(QPainter& painter, const PlotFrame& frame, const PlotScene& scene) {
    if (!scene.fit) {
        return;
    }
    QPolygonF line;
    const int steps = frame.x.log() || frame.y.log() ? kFitLineSteps : 1;
    for (int k = 0; k <= steps; ++k) {
        const double pixel = frame.plot.left() + frame.plot.width() * k / steps;
        const double x = frame.x.valueAtPixel(pixel);
        const double y = scene.fit->intercept + scene.fit->slope * x;
        if (!frame.y.shows(y) || !std::isfinite(y)) {
            continue;
        }
        line << QPointF(pixel, std::clamp(frame.y.pixel(y), -kFar, kFar));
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(kFitColour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(line);
}

// Points flagged when measured (at compliance) each get an open red circle.
void PlotRenderer::paintFlagged(QPainter& painter, const PlotFrame& frame, const PlotScene& scene) {
    painter.setPen(QPen(kFlagColour, 1.5));
    painter.setBrush(Qt::NoBrush);
    for (const PlotSeries& series : scene.series) {
        if (!series.shown) {
            continue;
        }
        for (const PlotSegment& segment : series.segments) {
            for (const int p : segment.flagged) {
                if (p < segment.count && shownPoint(segment, p, frame.x, frame.y)) {
                    painter.drawEllipse(pointOf(segment, p, frame.x, frame.y), 4.0, 4.0);
                }
            }
        }
    }
}

void PlotRenderer::paintCursorAndMarkers(QPainter& painter, const PlotFrame& frame,
                                         const PlotScene& scene) {
    if (scene.cursorX && frame.x.shows(*scene.cursorX)) {
        painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.0, Qt::DashLine));
        const double at = frame.x.pixel(*scene.cursorX);
        painter.drawLine(QPointF(at, frame.plot.top()), QPointF(at, frame.plot.bottom() + 1));
    }
    painter.setFont(PlotFrame::tickFont());
    const QFontMetricsF metrics(painter.font());
    for (const PinnedMarker& marker : scene.markers) {
        const double vx = frame.x.onAxis(marker.x);
        const double vy = frame.y.onAxis(marker.y);
        if (!frame.x.shows(vx) || !frame.y.shows(vy)) {
            continue;
        }
        const QPointF at(frame.x.pixel(vx), frame.y.pixel(vy));
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(Qt::white);
        painter.drawEllipse(at, 4.0, 4.0);
        const QRectF box =
            QRectF(at + QPointF(8, -8 - metrics.height()),
                   QSizeF(metrics.horizontalAdvance(marker.label) + 8, metrics.height() + 4));
        painter.setPen(QPen(Qt::black, 1.0));
        painter.drawRect(box);
        painter.drawText(box, Qt::AlignCenter, marker.label);
    }
    painter.setBrush(Qt::NoBrush);
}

void PlotRenderer::paintAxes(QPainter& painter, const PlotFrame& frame) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF plot = frame.plot;
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.plot);
    painter.setFont(PlotFrame::tickFont());
    const QFontMetricsF metrics(painter.font());
    const double bottom = plot.bottom() + 1;
    for (const AxisTick& tick : frame.xTicks) {
        const double at = frame.x.pixel(tick.value);
        const double length = tick.text.isEmpty() ? kMinorTickLength : kTickLength;
        painter.drawLine(QPointF(at, bottom), QPointF(at, bottom + length));
        if (!tick.text.isEmpty()) {
            const double width = metrics.horizontalAdvance(tick.text);
            painter.drawText(
                QPointF(at - width / 2, bottom + kTickLength + kGap + metrics.ascent()), tick.text);
        }
    }
    for (const AxisTick& tick : frame.yTicks) {
        const double at = frame.y.pixel(tick.value);
        const double length = tick.text.isEmpty() ? kMinorTickLength : kTickLength;
        painter.drawLine(QPointF(plot.left() - length, at), QPointF(plot.left(), at));
        if (!tick.text.isEmpty()) {
            const double width = metrics.horizontalAdvance(tick.text);
            painter.drawText(QPointF(plot.left() - kTickLength - kGap - width,
                                     at + metrics.ascent() - metrics.height() / 2),
                             tick.text);
        }
    }
    painter.setFont(PlotFrame::titleFont());
    const QFontMetricsF titles(painter.font());
    const double xTitleWidth = titles.horizontalAdvance(frame.xTitle);
    painter.drawText(
        QPointF(plot.center().x() - xTitleWidth / 2,
                bottom + kTickLength + kGap + metrics.height() + kGap + titles.ascent()),
        frame.xTitle);
    painter.save();
    painter.translate(8 + titles.ascent(), plot.center().y());
    painter.rotate(-90);
    painter.drawText(QPointF(-titles.horizontalAdvance(frame.yTitle) / 2, 0), frame.yTitle);
    painter.restore();
}

PlotRenderer::Legend PlotRenderer::legendOf(const PlotScene& scene) {
    Legend legend;
    int more = 0;
    for (const PlotSeries& series : scene.series) {
        if (!series.shown) {
            continue;
        }
        if (static_cast<int>(legend.texts.size()) == kLegendRows) {
            ++more;
            continue;
        }
        legend.texts << legendText(series);
        legend.colours.push_back(series.colour);
        legend.dots.push_back(series.dots);
    }
    if (more > 0) {
        legend.texts << QStringLiteral("… and %1 more").arg(more);
        legend.colours.push_back(kNoColour);
        legend.dots.push_back(false);
    }
    if (scene.fit && !legend.texts.isEmpty()) {
        legend.texts << QStringLiteral("fitted line");
        legend.colours.push_back(kFitColour.rgb());
        legend.dots.push_back(false);
    }
    const QFontMetricsF metrics(PlotFrame::tickFont());
    for (const QString& text : legend.texts) {
        legend.width = std::min(std::max(legend.width, metrics.horizontalAdvance(text)), 320.0);
    }
    const double row = metrics.height() + 2;
    legend.size = QSizeF(legend.width + kSwatch + 14, row * legend.texts.size() + 8);
    return legend;
}

QImage PlotRenderer::coverage(const PlotFrame& frame, const PlotScene& scene,
                              const SeriesLayerCache* layers, double& pixelsPerUnit) {
    // Dots are no part of the layer; a plot of them has few points, drawn again here.
    const bool dots = std::any_of(scene.series.begin(), scene.series.end(),
                                  [](const PlotSeries& one) { return one.shown && one.dots; });
    if (layers && !layers->current().isNull() && !dots) {
        pixelsPerUnit = layers->current().devicePixelRatio();
        return layers->current();
    }
    constexpr double kCoarse = 1.0 / 4.0;
    pixelsPerUnit = kCoarse;
    const QSize size(std::max(1, static_cast<int>(frame.plot.width() * kCoarse)),
                     std::max(1, static_cast<int>(frame.plot.height() * kCoarse)));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const AxisMap x(frame.x.range(), 0, size.width() - 1, frame.x.magnitude());
    const AxisMap y(frame.y.range(), size.height() - 1, 0, frame.y.magnitude());
    SeriesRaster raster(image, x, y);
    for (const PlotSeries& series : scene.series) {
        if (series.shown) {
            raster.drawSeries(series, series.colour);
        }
    }
    return image;
}

namespace {

int coveredPixels(const QImage& image, double pixelsPerUnit, const QRectF& area) {
    const QRect pixels = QRectF(area.topLeft() * pixelsPerUnit, area.size() * pixelsPerUnit)
                             .toAlignedRect()
                             .intersected(image.rect());
    int covered = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            covered += qAlpha(line[x]) != 0 ? 1 : 0;
        }
    }
    return covered;
}

}  // namespace

void PlotRenderer::paintLegendAndNotice(QPainter& painter, const PlotFrame& frame,
                                        const PlotScene& scene, const SeriesLayerCache* layers) {
    const Legend legend = legendOf(scene);
    painter.setFont(PlotFrame::tickFont());
    const QFontMetricsF metrics(painter.font());
    const QSizeF noticeSize(metrics.horizontalAdvance(scene.notice) + 8, metrics.height() + 4);
    QSizeF fitSize;
    for (const QString& line : scene.fitText) {
        fitSize.setWidth(std::max(fitSize.width(), metrics.horizontalAdvance(line) + 12));
    }
    fitSize.setHeight((metrics.height() + 2) * scene.fitText.size() + 8);
    // Corners within the plot, in the order of preference: top right, top left, bottom right,
    // bottom left. Their places are relative to the plot's area.
    const QRectF area(QPointF(0, 0), QSizeF(frame.plot.size()));
    const auto corner = [&](int which, QSizeF size) {
        const double x = which % 2 == 0 ? area.right() - size.width() - kInset : kInset;
        const double y = which < 2 ? kInset : area.bottom() - size.height() - kInset;
        return QRectF(QPointF(x, y), size);
    };
    std::array<bool, 4> taken{};
    QImage covered;
    double pixelsPerUnit = 1.0;
    // The free corner the series cover least.
    const auto leastCovered = [&](QSizeF size) {
        if (covered.isNull()) {
            covered = coverage(frame, scene, layers, pixelsPerUnit);
        }
        int best = -1;
        int fewest = 0;
        for (int which = 0; which < 4; ++which) {
            const int count = coveredPixels(covered, pixelsPerUnit, corner(which, size));
            if (!taken[static_cast<std::size_t>(which)] && (best < 0 || count < fewest)) {
                fewest = count;
                best = which;
            }
        }
        taken[static_cast<std::size_t>(best)] = true;
        return best;
    };
    int legendCorner = 0;
    if (!legend.texts.isEmpty()) {
        legendCorner = leastCovered(legend.size);
        paintBox(painter, legend.texts, legend.colours, legend.dots, legend.width,
                 corner(legendCorner, legend.size).translated(frame.plot.topLeft()));
    }
    if (!scene.notice.isEmpty()) {
        const int noticeCorner = legendCorner == 1 ? 3 : 1;
        taken[static_cast<std::size_t>(noticeCorner)] = true;
        const QRectF box = corner(noticeCorner, noticeSize).translated(frame.plot.topLeft());
        painter.setPen(QColor(0x60, 0x60, 0x60));
        painter.drawText(box, Qt::AlignCenter, scene.notice);
    }
    if (!scene.fitText.isEmpty()) {
        const QRectF box = corner(leastCovered(fitSize), fitSize).translated(frame.plot.topLeft());
        paintBox(painter, scene.fitText, {}, {}, fitSize.width() - 12, box);
    }
}

// Lines of text in a framed white box; a line with a colour gets a swatch of it first.
void PlotRenderer::paintBox(QPainter& painter, const QStringList& texts,
                            const std::vector<QRgb>& colours, const std::vector<bool>& dots,
                            double textWidth, const QRectF& box) {
    const QFontMetricsF metrics(painter.font());
    const double row = metrics.height() + 2;
    const double indent = colours.empty() ? 6.0 : kSwatch + 9;
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.0));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRect(box);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (int i = 0; i < texts.size(); ++i) {
        const double middle = box.top() + 4 + row * (i + 0.5);
        const QRgb colour =
            i < static_cast<int>(colours.size()) ? colours[static_cast<std::size_t>(i)] : kNoColour;
        if (colour != kNoColour && i < static_cast<int>(dots.size()) &&
            dots[static_cast<std::size_t>(i)]) {
            painter.setPen(QPen(QColor::fromRgb(colour).darker(160), 1.0));
            painter.setBrush(QColor::fromRgb(colour));
            painter.drawEllipse(QPointF(box.left() + 5 + kSwatch / 2, middle), kDotRadius,
                                kDotRadius);
            painter.setBrush(Qt::NoBrush);
        } else if (colour != kNoColour) {
            painter.setPen(QPen(QColor::fromRgb(colour), 2.0));
            painter.drawLine(QPointF(box.left() + 5, middle),
                             QPointF(box.left() + 5 + kSwatch, middle));
        }
        painter.setPen(Qt::black);
        const QString text = metrics.elidedText(texts[i], Qt::ElideRight, textWidth);
        painter.drawText(
            QPointF(box.left() + indent, middle + metrics.ascent() - metrics.height() / 2), text);
    }
    painter.setBrush(Qt::NoBrush);
}

}  // namespace tarvix::plot
