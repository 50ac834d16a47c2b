// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/ChartPictures.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

#include "series/ChartCanvas.h"
#include "series/VectorMirror.h"

namespace tarvix::series {

namespace {

// Draws the chart into a scratch image while the mirror repeats it on the painter.
void drawMirrored(QPainter& painter, QSize size, double scale, const ChartRender& render) {
    painter.scale(scale, scale);
    QImage scratch = makeChartImage(size.width(), size.height());
    const VectorMirror mirror(painter, size);
    render(scratch);
}

}  // namespace

QImage chartImage(QSize size, double scale, const ChartRender& render) {
    if (scale == 1.0) {
        QImage image = makeChartImage(size.width(), size.height());
        render(image);
        return image;
    }
    const QSize scaled = (QSizeF(size) * scale).toSize();
    QImage image = makeChartImage(scaled.width(), scaled.height());
    QPainter painter(&image);
    drawMirrored(painter, size, scale, render);
    return image;
}

QByteArray chartSvg(QSize size, double scale, const ChartRender& render, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    const QSize scaled = (QSizeF(size) * scale).toSize();
    generator.setSize(scaled);
    generator.setViewBox(QRect(QPoint(0, 0), scaled));
    generator.setTitle(title);
    QPainter painter(&generator);
    drawMirrored(painter, size, scale, render);
    painter.end();
    return bytes;
}

}  // namespace tarvix::series
