// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>

#include "series/IvChartGeometry.h"
#include "series/IvChartOptions.h"

namespace tarvix::series {

// Everything of the I-V chart under the points: background, grid, cursor lines, tick labels
// and captions. Kept as an image and drawn again only when one of its inputs changes.
class IvChartBackdrop {
  public:
    static void draw(QImage& image, const IvChartGeometry& geometry, const IvChartOptions& options,
                     const QString& yLabel, const QString& xLabel);

    // The cached picture for these inputs, redrawn when they differ from the last call's.
    const QImage& image(const IvChartGeometry& geometry, const IvChartOptions& options,
                        const QString& yLabel, const QString& xLabel);
    // Counts redraws, so that a composed picture knows when it is stale.
    std::uint64_t generation() const { return generation_; }
    void invalidate() { valid_ = false; }

  private:
    struct Key {
        int width = 0;
        int height = 0;
        IvChartRanges ranges;
        bool logScale = false;
        float manualVoltage = 0.0f;
        float cursorVoltage = 0.0f;
        bool cursorLineShown = false;
        QString yLabel;
        QString xLabel;
        bool operator==(const Key& other) const;
    };

    QImage image_;
    Key key_;
    bool valid_ = false;
    std::uint64_t generation_ = 0;
};

}  // namespace tarvix::series
