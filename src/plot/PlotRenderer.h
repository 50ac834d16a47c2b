// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPolygonF>
#include <QRgb>
#include <QStringList>
#include <vector>

#include "plot/PlotFrame.h"
#include "plot/PlotScene.h"

class QPainter;

namespace tarvix::plot {

class SeriesLayerCache;

// Paints a plot onto any device: the window, a PNG, an SVG or a PDF. White ground, black
// axes with ticks and titles, light grid, the series, the running run, the highlighted
// series, points drawn as dots, the fitted line, flagged points, the cursor line, pinned
// markers, the legend, the notice and the fit's numbers.
class PlotRenderer {
  public:
    // `painter` works in the frame's logical pixels. With `layers`, the stored series come
    // from that cache at `devicePixelRatio` (the window); without, every series is stroked
    // as lines (pictures, which stay lines in SVG and PDF).
    static void paint(QPainter& painter, const PlotFrame& frame, const PlotScene& scene,
                      SeriesLayerCache* layers, double devicePixelRatio);
    // Starts drawing the stored series of the frame into `layers` ahead of paint().
    static void prepareLayers(const PlotFrame& frame, const PlotScene& scene,
                              SeriesLayerCache& layers, double devicePixelRatio);

    // A segment as lines at `columnsPerPixel` columns per pixel of the maps, one polyline
    // per stretch without a break; per column only the points that decide it.
    static std::vector<QPolygonF> polylines(const PlotSegment& segment, const AxisMap& x,
                                            const AxisMap& y, double columnsPerPixel);

  private:
    struct Legend {
        QStringList texts;
        std::vector<QRgb> colours;
        std::vector<bool> dots;  // the swatch is a dot, not a line
        double width = 0.0;      // of the widest text
        QSizeF size;
    };
    static Legend legendOf(const PlotScene& scene);
    // The parts of the plot's area covered by series (opaque pixels), from the layer drawn
    // for the window or from a coarse drawing made for a picture.
    static QImage coverage(const PlotFrame& frame, const PlotScene& scene,
                           const SeriesLayerCache* layers, double& pixelsPerUnit);
    static void paintGrid(QPainter& painter, const PlotFrame& frame);
    static void paintSeries(QPainter& painter, const PlotFrame& frame, const PlotScene& scene,
                            SeriesLayerCache* layers, double devicePixelRatio);
    static void stroke(QPainter& painter, const PlotFrame& frame, const PlotSeries& series,
                       double width);
    static void rasterStroke(QPainter& painter, const PlotFrame& frame, const PlotSeries& series,
                             int pixels, double devicePixelRatio);
    static void paintDots(QPainter& painter, const PlotFrame& frame, const PlotSeries& series);
    static void paintFitLine(QPainter& painter, const PlotFrame& frame, const PlotScene& scene);
    static void paintFlagged(QPainter& painter, const PlotFrame& frame, const PlotScene& scene);
    static void paintCursorAndMarkers(QPainter& painter, const PlotFrame& frame,
                                      const PlotScene& scene);
    static void paintAxes(QPainter& painter, const PlotFrame& frame);
    // The legend goes into the corner of the plot that the series cover least, the notice
    // into another one, and the fit's numbers into the least covered of the rest.
    static void paintLegendAndNotice(QPainter& painter, const PlotFrame& frame,
                                     const PlotScene& scene, const SeriesLayerCache* layers);
    static void paintBox(QPainter& painter, const QStringList& texts,
                         const std::vector<QRgb>& colours, const std::vector<bool>& dots,
                         double textWidth, const QRectF& box);
};

}  // namespace tarvix::plot
