#include "shell/Widgets.h"

#include <QPaintEvent>
#include <QPainter>

namespace tarvix::shell {

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    emit clicked();
}

void ClickablePanel::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    emit clicked();
}

void ImageBox::paintEvent(QPaintEvent* event) {
    if (image_) {
        QPainter painter(this);
        const QRect area = event->rect();
        painter.drawImage(area.topLeft(), *image_, area);
    }
}

}  // namespace tarvix::shell
