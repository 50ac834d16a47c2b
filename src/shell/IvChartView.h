#pragma once

#include <QImage>
#include <QString>
#include <memory>

#include "series/IvChartOptions.h"

namespace tarvix::series {
class IvChart;
}

namespace tarvix::shell {

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

    static const QString& yLabel();
    static const QString& xLabel();

  private:
    series::IvChartOptions options() const;

    TForm1& form_;
    std::unique_ptr<series::IvChart> chart_;
};

}  // namespace tarvix::shell
