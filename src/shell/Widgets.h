// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <functional>

namespace tarvix::shell {

// A label with a click handler, as the design's labels have.
class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// A panel with a click handler.
class ClickablePanel : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// A paint area that only copies an off-screen image, drawn at (0, 0).
class ImageBox : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
    void setImage(const QImage* image) { image_ = image; }
    // A note drawn over the image's top right corner; empty for none.
    void setCaption(const QString& caption);
    const QString& caption() const { return caption_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const QImage* image_ = nullptr;
    QString caption_;
};

}  // namespace tarvix::shell
