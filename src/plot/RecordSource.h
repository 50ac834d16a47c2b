// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "plot/PlotSeries.h"

namespace tarvix::thermo {
struct ThermoRecord;
}

namespace tarvix::plot {

// The four-probe record as a plot source, sample by sample as it is taken: the resistance
// against the temperature or against the time since the first sample. A thermocouple
// loop's record shows the thermocouple's temperature against time in either case.
class RecordSource : public PlotSource {
  public:
    enum class Against { Temperature, Time };

    RecordSource(const thermo::ThermoRecord& record, Against against)
        : record_(record), against_(against) {}

    QString title() const override;
    Quantity xQuantity() const override;
    Quantity yQuantity() const override;
    std::uint64_t stamp() const override;
    std::vector<PlotSeries> series() const override;
    QString pointText(const PlotSeries& series, const PlotSegment& segment,
                      int point) const override;

  private:
    bool thermocouple() const;
    bool againstTime() const { return against_ == Against::Time || thermocouple(); }
    // The tables hold doubles from index 1; the plot reads floats from 0. Copied anew when
    // the record moved.
    void copyOut() const;

    const thermo::ThermoRecord& record_;
    Against against_;
    mutable std::uint64_t copied_ = 0;
    mutable std::vector<float> x_;
    mutable std::vector<float> y_;
};

}  // namespace tarvix::plot
