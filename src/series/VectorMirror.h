// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

class QPainter;

namespace tarvix::series {

// While one of these lives, the chart drawing primitives (ChartCanvas) also paint what they
// draw onto its painter as lines, rectangles and text, so a chart renderer written for an
// off-screen image yields a vector picture or one at a finer scale. Mirrors nest; the
// innermost one is used. One thread, like every drawing.
class VectorMirror {
  public:
    // `size` is the drawing's own size in pixels, before the painter's scale.
    VectorMirror(QPainter& painter, QSize size);
    ~VectorMirror();
    VectorMirror(const VectorMirror&) = delete;
    VectorMirror& operator=(const VectorMirror&) = delete;

    // The painter of the innermost live mirror, or null.
    static QPainter* active();
    static QSize activeSize();

  private:
    QPainter& painter_;
    QSize size_;
    VectorMirror* outer_;
};

}  // namespace tarvix::series
