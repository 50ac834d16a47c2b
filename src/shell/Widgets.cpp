// SPDX-License-Identifier: GPL-3.0-or-later
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

void ImageBox::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void ImageBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (image_) {
        const QRect area = event->rect();
        painter.drawImage(area.topLeft(), *image_, area);
    }
    if (!caption_.isEmpty()) {
        const QRect box = painter.fontMetrics()
                              .boundingRect(caption_)
                              .adjusted(-6, -3, 6, 3)
                              .translated(0, painter.fontMetrics().ascent());
        const QRect placed = box.translated(width() - box.right() - 8, 8 - box.top());
        painter.fillRect(placed, Qt::white);
        painter.setPen(Qt::darkRed);
        painter.drawText(placed, Qt::AlignCenter, caption_);
    }
}

}  // namespace tarvix::shell
