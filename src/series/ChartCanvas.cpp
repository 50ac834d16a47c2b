#include "series/ChartCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <cstdlib>

namespace tarvix::series {

QImage makeChartImage(int width, int height) {
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

void fillImage(QImage& image, QRgb colour) {
    image.fill(colour);
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

void setPixelClipped(QImage& image, int x, int y, QRgb colour) {
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height()) {
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
    }
}

void plotFivePixels(QImage& image, int x, int y, QRgb colour) {
    setPixelClipped(image, x, y, colour);
    setPixelClipped(image, x - 1, y, colour);
    setPixelClipped(image, x + 1, y, colour);
    setPixelClipped(image, x, y + 1, colour);
    setPixelClipped(image, x, y - 1, colour);
}

// Bresenham, so that the same inputs always give the same pixels, whatever the painter.
void drawLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour) {
    const long dx = std::labs(static_cast<long>(x1) - x0);
    const long dy = -std::labs(static_cast<long>(y1) - y0);
    // Far-off end points (a value outside the window) would make the walk long; clip the
    // walk to the image plus a margin, which leaves the visible pixels unchanged.
    const long limit = 4L * (image.width() + image.height()) + dx - dy;
    walkLine(x0, y0, x1, y1, limit, [&](int x, int y) { setPixelClipped(image, x, y, colour); });
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
}

}  // namespace tarvix::series
