// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/ChartCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <cstdlib>

#include "series/VectorMirror.h"

namespace tarvix::series {

QImage makeChartImage(int width, int height) {
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

void overlayOpaquePixels(QImage& picture, const QImage& layer) {
    for (int y = 0; y < picture.height(); ++y) {
        QRgb* target = reinterpret_cast<QRgb*>(picture.scanLine(y));
        const QRgb* source = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(source[x]) != 0) {
                target[x] = source[x];
            }
        }
    }
}

namespace {

void setPixel(QImage& image, int x, int y, QRgb colour) {
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height()) {
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
    }
}

// Pixel (x, y) covers the square from (x, y) to (x + 1, y + 1); lines run through centres.
QPointF centre(int x, int y) {
    return {x + 0.5, y + 0.5};
}

}  // namespace

void mirrorFill(QRgb colour) {
    if (QPainter* painter = VectorMirror::active()) {
        painter->fillRect(QRect(QPoint(0, 0), VectorMirror::activeSize()), QColor(colour));
    }
}

// Strokes as paths: an SVG keeps them as <path> elements a drawing program can edit.
void strokePath(QPainter& painter, const QPainterPath& path, QRgb colour) {
    painter.setPen(QPen(QColor(colour), 1.0, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void mirrorLine(int x0, int y0, int x1, int y1, QRgb colour) {
    if (QPainter* painter = VectorMirror::active()) {
        QPainterPath path(centre(x0, y0));
        path.lineTo(centre(x1, y1));
        strokePath(*painter, path, colour);
    }
}

void mirrorCross(int x, int y, int arm, QRgb colour) {
    if (QPainter* painter = VectorMirror::active()) {
        QPainterPath path(QPointF(x - arm, y + 0.5));
        path.lineTo(QPointF(x + arm + 1, y + 0.5));
        path.moveTo(QPointF(x + 0.5, y - arm));
        path.lineTo(QPointF(x + 0.5, y + arm + 1));
        strokePath(*painter, path, colour);
    }
}

void fillImage(QImage& image, QRgb colour) {
    image.fill(colour);
    mirrorFill(colour);
}

void setPixelClipped(QImage& image, int x, int y, QRgb colour) {
    setPixel(image, x, y, colour);
    if (QPainter* painter = VectorMirror::active()) {
        painter->fillRect(QRectF(x, y, 1, 1), QColor(colour));
    }
}

void plotFivePixels(QImage& image, int x, int y, QRgb colour) {
    setPixel(image, x, y, colour);
    setPixel(image, x - 1, y, colour);
    setPixel(image, x + 1, y, colour);
    setPixel(image, x, y + 1, colour);
    setPixel(image, x, y - 1, colour);
    mirrorCross(x, y, 1, colour);
}

void plotSquare(QImage& image, int x, int y, int half, QRgb colour) {
    for (int row = y - half; row <= y + half; ++row) {
        for (int column = x - half; column <= x + half; ++column) {
            setPixel(image, column, row, colour);
        }
    }
    if (QPainter* painter = VectorMirror::active()) {
        painter->fillRect(QRectF(x - half, y - half, 2 * half + 1, 2 * half + 1), QColor(colour));
    }
}

// Bresenham, so that the same inputs always give the same pixels, whatever the painter.
void drawLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour) {
    const long dx = std::labs(static_cast<long>(x1) - x0);
    const long dy = -std::labs(static_cast<long>(y1) - y0);
    // Far-off end points (a value outside the window) would make the walk long; clip the
    // walk to the image plus a margin, which leaves the visible pixels unchanged.
    const long limit = 4L * (image.width() + image.height()) + dx - dy;
    walkLine(x0, y0, x1, y1, limit, [&](int x, int y) { setPixel(image, x, y, colour); });
    mirrorLine(x0, y0, x1, y1, colour);
}

void invertMarker(QImage& image, int x, int y) {
    for (int row = y - 5; row < y + 2; ++row) {
        for (int column = x - 5; column < x + 2; ++column) {
            if (column >= 0 && row >= 0 && column < image.width() && row < image.height()) {
                QRgb& pixel = reinterpret_cast<QRgb*>(image.scanLine(row))[column];
                pixel = qRgb(255 - qRed(pixel), 255 - qGreen(pixel), 255 - qBlue(pixel));
            }
        }
    }
    // A vector picture cannot invert what lies below: the marker is drawn as its outline.
    if (QPainter* painter = VectorMirror::active()) {
        painter->setPen(QPen(Qt::black, 1.0));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(x - 4.5, y - 4.5, 6, 6));
    }
}

QFont chartFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void drawLabel(QImage& image, int x, int y, const QString& text, bool bold, bool opaque) {
    QPainter painter(&image);
    QFont font = chartFont();
    font.setBold(bold);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
    if (opaque) {
        painter.fillRect(box, Qt::white);
    }
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    if (QPainter* mirror = VectorMirror::active()) {
        mirror->setFont(font);
        if (opaque) {
            mirror->fillRect(box, Qt::white);
        }
        mirror->setPen(Qt::black);
        mirror->drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    }
}

}  // namespace tarvix::series
