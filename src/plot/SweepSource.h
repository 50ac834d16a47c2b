// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "plot/PlotSeries.h"

namespace tarvix::lcr {
struct FreqSweep;
}

namespace tarvix::plot {

// The LCR sweep as a plot source, point by point as it is measured: the primary parameter
// against frequency on a log axis. A sweep that is no measurement (the test curve shown
// before the first one) shows nothing.
class SweepSource : public PlotSource {
  public:
    explicit SweepSource(const lcr::FreqSweep& sweep) : sweep_(sweep) {}

    // The sweep holds a measurement; false while it holds the test curve.
    void setMeasured(bool measured) { measured_ = measured; }

    QString title() const override;
    Quantity xQuantity() const override;
    Quantity yQuantity() const override;
    bool xLog() const override { return true; }
    std::uint64_t stamp() const override;
    std::vector<PlotSeries> series() const override;
    QString pointText(const PlotSeries& series, const PlotSegment& segment,
                      int point) const override;

    // The quantity the meter's code measures: "CP" is a capacitance in F.
    static Quantity quantityOf(const QString& code);

  private:
    void copyOut() const;

    const lcr::FreqSweep& sweep_;
    bool measured_ = true;
    mutable std::uint64_t copied_ = 0;
    mutable std::vector<float> x_;
    mutable std::vector<float> y_;
};

}  // namespace tarvix::plot
