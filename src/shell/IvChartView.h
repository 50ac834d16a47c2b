// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>

#include "series/ChartPictures.h"
#include "series/IvChartOptions.h"

namespace tarvix::series {
class IvChart;
class IvChartGeometry;
}  // namespace tarvix::series

namespace tarvix::shell {

class ChartPictureMenu;
class TForm1;

// The I-V chart on PaintBox1: reads the display options from the window, draws through the
// renderer into the shared chart image (ivBitmap) and shows it.
class IvChartView {
  public:
    explicit IvChartView(TForm1& form);
    ~IvChartView();

    // drawIvChart with the captions every caller passes and the global ranges.
    void drawIvChart();
    void drawIvChart(const series::IvChartRanges& ranges);
    // The image every chart of PaintBox1 draws into (I-V, temperature, analysis).
    QImage& ivBitmap();
    // Copies the image to the paint box.
    void show();
    // The one-shot delay of the animation (see IvChart); Stop sets it to 0.
    int animationDelay() const;
    void setAnimationDelay(int milliseconds);

    // The renderer behind the view, for what it counts of its kept layers.
    const series::IvChart& renderer() const { return *chart_; }

    static const QString& yLabel();
    static const QString& xLabel();

    // PaintBox1's context menu of pictures. Another chart drawn on PaintBox1 (analysis,
    // temperature) hands it its own source; the next I-V drawing takes it back.
    ChartPictureMenu& pictures() { return *pictures_; }
    void setPictureSource(series::ChartRender render);
    // Moves with every chart put on PaintBox1: an I-V drawing, an analysis or a temperature
    // chart. Whoever drew one knows it is still on view while this stays.
    std::uint64_t drawings() const { return drawings_; }

  private:
    series::IvChartOptions options() const;
    bool analysisToolsShown() const;
    void drawOverlay(QImage& picture, const series::IvChartGeometry& geometry) const;
    void redrawWhenToolsToggle();
    std::optional<series::IvChartRanges> limitEditRanges() const;
    void prepareAhead();

    TForm1& form_;
    std::unique_ptr<series::IvChart> chart_;
    std::unique_ptr<ChartPictureMenu> pictures_;
    series::IvChartRanges lastRanges_{};
    bool showsIvChart_ = true;
    std::uint64_t drawings_ = 0;
    QTimer preparer_;  // draws the stored layer for the limit edits' ranges in idle moments
};

}  // namespace tarvix::shell
