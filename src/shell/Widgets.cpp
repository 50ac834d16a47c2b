#include "shell/Widgets.h"

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

void ImageBox::paintEvent(QPaintEvent*) {
    if (image_) {
        QPainter painter(this);
        painter.drawImage(0, 0, *image_);
    }
}

}  // namespace tarvix::shell
