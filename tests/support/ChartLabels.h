// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QTextItem>
#include <vector>

#include "series/ChartPictures.h"
#include "series/VectorMirror.h"

namespace tarvix::testing {

struct DrawnText {
    QString text;
    QRectF box;  // from its ascent to its descent
};

// A paint device that only notes where text is set: with a VectorMirror on it, a chart's
// renderer tells which labels it drew and where.
class TextRecorder : public QPaintDevice {
  public:
    explicit TextRecorder(QSize size) : size_(size), engine_(this) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    std::vector<DrawnText> texts;

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return size_.width();
            case PdmHeight:
                return size_.height();
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 1000;
        }
    }

  private:
    class Engine : public QPaintEngine {
      public:
        explicit Engine(TextRecorder* owner) : QPaintEngine(AllFeatures), owner_(owner) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override {
            const QRectF box(p.x(), p.y() - item.ascent(), item.width(),
                             item.ascent() + item.descent());
            owner_->texts.push_back({item.text(), painter()->transform().mapRect(box)});
        }
        Type type() const override { return User; }

      private:
        TextRecorder* owner_;
    };
    QSize size_;
    mutable Engine engine_;
};

// The texts a renderer sets on a chart of the given size.
inline std::vector<DrawnText> drawnTexts(QSize size, const series::ChartRender& render) {
    TextRecorder recorder(size);
    QPainter painter(&recorder);
    QImage scratch(size, QImage::Format_RGB32);
    {
        const series::VectorMirror mirror(painter, size);
        render(scratch);
    }
    painter.end();
    return recorder.texts;
}

// Pairs of texts whose boxes overlap, as "a | b" for the failure message.
inline std::vector<QString> overlappingTexts(const std::vector<DrawnText>& texts) {
    std::vector<QString> pairs;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            if (texts[i].box.intersects(texts[j].box)) {
                pairs.push_back(texts[i].text + QStringLiteral(" | ") + texts[j].text);
            }
        }
    }
    return pairs;
}

}  // namespace tarvix::testing
