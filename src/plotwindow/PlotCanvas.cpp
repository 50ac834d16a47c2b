// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotwindow/PlotCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "plot/PlotRenderer.h"
#include "plot/PlotSession.h"

namespace tarvix::plotwindow {

using plot::PlotView;

namespace {

constexpr int kSmallestBand = 5;    // a smaller drag is a click
constexpr double kPinReach = 12.0;  // pixels from a point that a click pins it
constexpr double kWheelZoom = 0.8;  // per notch
constexpr qint64 kWheelGestureMs = 700;
const QColor kCrosshair(0x80, 0x80, 0x80);

}  // namespace

PlotCanvas::PlotCanvas(plot::PlotSession& session, QWidget* parent)
    : QWidget(parent), session_(&session) {
    setObjectName(QStringLiteral("PlotCanvas"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotCanvas::setSession(plot::PlotSession& session) {
    session_ = &session;
    layers_ = plot::SeriesLayerCache();
    invalidate();
}

void PlotCanvas::invalidate() {
    valid_ = false;
    update();
}

void PlotCanvas::ensurePicture() {
    const double ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::lround(width() * ratio)),
                       static_cast<int>(std::lround(height() * ratio)));
    if (valid_ && picture_.size() == pixels) {
        return;
    }
    if (picture_.size() != pixels) {
        // Opaque, as the plot's white ground makes it: a paint copies it into the window's
        // backing store instead of blending every pixel.
        picture_ = QImage(pixels, QImage::Format_RGB32);
    }
    picture_.setDevicePixelRatio(ratio);
    const plot::PlotScene scene = session_->scene();
    frame_ = plot::PlotFrame::of(size(), scene);
    QPainter painter(&picture_);
    plot::PlotRenderer::paint(painter, frame_, scene, &layers_, ratio);
    valid_ = true;
}

const QImage& PlotCanvas::picture() {
    ensurePicture();
    return picture_;
}

plot::PlotFrame PlotCanvas::currentFrame() {
    ensurePicture();
    return frame_;
}

void PlotCanvas::paintEvent(QPaintEvent*) {
    ensurePicture();
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
    if (drag_ == Drag::Band) {
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.setBrush(QColor(0, 114, 178, 40));
        painter.drawRect(QRect(pressedAt_, lastAt_).normalized());
        return;
    }
    if (mouse_ && frame_.plot.contains(*mouse_)) {
        painter.setPen(QPen(kCrosshair, 1, Qt::DotLine));
        painter.drawLine(QPoint(frame_.plot.left(), mouse_->y()),
                         QPoint(frame_.plot.right(), mouse_->y()));
        painter.drawLine(QPoint(mouse_->x(), frame_.plot.top()),
                         QPoint(mouse_->x(), frame_.plot.bottom()));
    }
    if (const auto hit = session_->hovered()) {
        const plot::PlotSeries& series = session_->series()[static_cast<std::size_t>(hit->series)];
        const plot::PlotSegment& segment = series.segments[static_cast<std::size_t>(hit->segment)];
        const double x = frame_.x.onAxis(segment.x[hit->point]);
        const double y = frame_.y.onAxis(segment.y[hit->point]);
        if (frame_.x.shows(x) && frame_.y.shows(y)) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::black, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QPointF(frame_.x.pixel(x), frame_.y.pixel(y)), 5.0, 5.0);
        }
    }
}

// The other widgets of the window are painted before the plot: its stored series are drawn
// on another thread meanwhile.
void PlotCanvas::resizeEvent(QResizeEvent*) {
    valid_ = false;
    if (isVisible()) {
        const plot::PlotScene scene = session_->scene();
        plot::PlotRenderer::prepareLayers(plot::PlotFrame::of(size(), scene), scene, layers_,
                                          devicePixelRatioF());
    }
}

void PlotCanvas::changedView() {
    invalidate();
    emit viewChanged();
}

void PlotCanvas::zoomToPixels(QRect area) {
    ensurePicture();
    const PlotView view{plot::rangeBetween(frame_.x, area.left(), area.right()),
                        plot::rangeBetween(frame_.y, area.bottom(), area.top())};
    session_->show(view, true);
    changedView();
}

void PlotCanvas::zoomAbout(QPointF at, double factor, bool newStep) {
    ensurePicture();
    const PlotView view{plot::zoomedAbout(frame_.x.range(), frame_.x.valueAtPixel(at.x()), factor),
                        plot::zoomedAbout(frame_.y.range(), frame_.y.valueAtPixel(at.y()), factor)};
    session_->show(view, newStep);
    changedView();
}

void PlotCanvas::panTo(QPoint at) {
    const QPoint moved = at - lastAt_;
    lastAt_ = at;
    const PlotView view{plot::pannedBy(frame_.x, moved.x()), plot::pannedBy(frame_.y, moved.y())};
    session_->show(view, !panStarted_);
    panStarted_ = true;
    // The next move pans from this view, before it is drawn.
    frame_ = session_->frame(size());
    changedView();
}

void PlotCanvas::hoverAt(QPointF at) {
    ensurePicture();
    session_->hover(session_->nearest(frame_, at, INFINITY));
    emit readoutChanged();
    update();
}

void PlotCanvas::pinAt(QPointF at) {
    ensurePicture();
    if (const auto hit = session_->nearest(frame_, at, kPinReach)) {
        session_->pin(*hit);
        invalidate();
        emit readoutChanged();
    }
}

void PlotCanvas::home() {
    session_->zoom().home();
    changedView();
}

void PlotCanvas::back() {
    if (session_->zoom().back()) {
        changedView();
    }
}

void PlotCanvas::mousePressEvent(QMouseEvent* event) {
    pressedAt_ = lastAt_ = event->position().toPoint();
    const bool pan = event->button() == Qt::MiddleButton ||
                     (event->button() == Qt::LeftButton && event->modifiers() & Qt::ShiftModifier);
    if (pan) {
        drag_ = Drag::Pan;
        panStarted_ = false;
    } else if (event->button() == Qt::LeftButton) {
        drag_ = Drag::Band;
    }
}

void PlotCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    mouse_ = at;
    if (drag_ == Drag::Pan) {
        panTo(at);
        return;
    }
    if (drag_ == Drag::Band) {
        lastAt_ = at;
        update();
        return;
    }
    hoverAt(at);
}

void PlotCanvas::mouseReleaseEvent(QMouseEvent* event) {
    const Drag drag = drag_;
    drag_ = Drag::None;
    const QPoint at = event->position().toPoint();
    if (drag == Drag::Band) {
        const QRect band = QRect(pressedAt_, at).normalized();
        if (band.width() >= kSmallestBand && band.height() >= kSmallestBand) {
            zoomToPixels(band);
        } else {
            pinAt(at);
        }
    }
    update();
}

void PlotCanvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0) {
        return;
    }
    const bool newStep = !lastWheel_.isValid() || lastWheel_.elapsed() > kWheelGestureMs;
    lastWheel_.restart();
    zoomAbout(event->position(), std::pow(kWheelZoom, notches), newStep);
}

void PlotCanvas::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home) {
        home();
    } else if (event->key() == Qt::Key_Backspace) {
        back();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void PlotCanvas::leaveEvent(QEvent*) {
    mouse_.reset();
    update();
}

}  // namespace tarvix::plotwindow
