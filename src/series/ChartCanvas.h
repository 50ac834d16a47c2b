// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QImage>
#include <QRgb>
#include <QString>
#include <cstdint>
#include <cstdlib>

// Drawing primitives shared by every chart that renders into an off-screen image: the
// one-pixel lines, five-pixel points, the inverting marker and the opaque label texts.
namespace tarvix::series {

// Colours of the design are written 0x00BBGGRR.
constexpr QRgb fromBgr(std::uint32_t bgr) {
    return qRgb(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

constexpr QRgb kLime = qRgb(0, 255, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kYellow = qRgb(255, 255, 0);

// An opaque RGB image of the given size, as the charts' bitmaps are created.
QImage makeChartImage(int width, int height);

// Every primitive below also paints onto the live VectorMirror, if any; the mirror* ones
// paint there only, for renderers that set their pixels themselves.
void mirrorFill(QRgb colour);
void mirrorLine(int x0, int y0, int x1, int y1, QRgb colour);
// A plus sign of arms `arm` pixels long around (x, y).
void mirrorCross(int x, int y, int arm, QRgb colour);

void fillImage(QImage& image, QRgb colour);
// Copies the pixels of the layer that are not transparent over the picture (same size).
void overlayOpaquePixels(QImage& picture, const QImage& layer);
void setPixelClipped(QImage& image, int x, int y, QRgb colour);
// (x, y) and its four neighbours.
void plotFivePixels(QImage& image, int x, int y, QRgb colour);
// A filled square of side 2 half + 1 centred on (x, y): a marker that reads at a glance.
void plotSquare(QImage& image, int x, int y, int half, QRgb colour);
// Calls visit(x, y) for each pixel of the line from (x0, y0) towards (x1, y1), end pixel
// excluded, in drawing order (Bresenham), stopping after `maxSteps` pixels. drawLine sets
// exactly these pixels, so a renderer that filters pixels still draws the same line.
template <typename Visit>
void walkLine(int x0, int y0, int x1, int y1, long maxSteps, Visit&& visit) {
    const long dx = std::labs(static_cast<long>(x1) - x0);
    const long dy = -std::labs(static_cast<long>(y1) - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    long error = dx + dy;
    for (long steps = 0; (x0 != x1 || y0 != y1) && steps < maxSteps; ++steps) {
        visit(x0, y0);
        const long doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x0 += sx;
        }
        if (doubled <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

// A line from (x0, y0) towards (x1, y1), the end pixel excluded as the canvas' LineTo does.
void drawLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour);
// Inverts the 7 x 7 square whose top-left corner is (x - 5, y - 5); twice restores.
void invertMarker(QImage& image, int x, int y);
// Black text on a white background with its top-left corner at (x, y).
void drawLabel(QImage& image, int x, int y, const QString& text, bool bold = false,
               bool opaque = true);

QFont chartFont();

}  // namespace tarvix::series
