// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <optional>

#include "plot/PlotFrame.h"
#include "plot/SeriesLayerCache.h"

namespace tarvix::plot {
class PlotSession;
}

namespace tarvix::plotwindow {

// The plot itself: draws the session's scene (stored series from a kept layer) and turns the
// mouse and keys into zoom, pan, hover and pins. Rubber band with the left button, the wheel
// about the mouse, drag with the middle button or Shift and the left, Home for autoscale,
// Backspace for the view before.
class PlotCanvas : public QWidget {
    Q_OBJECT
  public:
    PlotCanvas(plot::PlotSession& session, QWidget* parent);
    // Another session (the window shows another source); the kept layer goes.
    void setSession(plot::PlotSession& session);

    // The scene changed: the picture is drawn again at the next paint.
    void invalidate();
    // The picture as it stands, drawn now if needed (for the benchmark and pictures).
    const QImage& picture();
    plot::PlotFrame currentFrame();
    const plot::SeriesLayerCache& layers() const { return layers_; }

    // What the mouse and the recipes do.
    void zoomToPixels(QRect area);
    void zoomAbout(QPointF at, double factor, bool newStep);
    void hoverAt(QPointF at);
    void pinAt(QPointF at);
    void home();
    void back();

  signals:
    // The view changed (zoom, pan, autoscale).
    void viewChanged();
    // The point under the mouse or the pins changed.
    void readoutChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    enum class Drag { None, Band, Pan };
    void ensurePicture();
    void panTo(QPoint at);
    void changedView();

    plot::PlotSession* session_;
    plot::SeriesLayerCache layers_;
    QImage picture_;
    plot::PlotFrame frame_;
    bool valid_ = false;
    Drag drag_ = Drag::None;
    QPoint pressedAt_;
    QPoint lastAt_;
    bool panStarted_ = false;
    std::optional<QPoint> mouse_;
    QElapsedTimer lastWheel_;
};

}  // namespace tarvix::plotwindow
