#pragma once

#include "plot/PlotSeries.h"

namespace tarvix::series {
class SeriesStore;
}

namespace tarvix::plot {

// The I-V store as a plot source: every stored series that holds points, keyed by its slot
// and numbered in order, then the run being measured. Current against voltage; a log current axis
// shows |I|.
class IvStoreSource : public PlotSource {
  public:
    explicit IvStoreSource(const series::SeriesStore& store) : store_(store) {}

    Quantity xQuantity() const override;
    Quantity yQuantity() const override;
    std::uint64_t stamp() const override;
    std::vector<PlotSeries> series() const override;
    QString pointText(const PlotSeries& series, const PlotSegment& segment,
                      int point) const override;

    // "Series 3", "the running run": how the readout names a series.
    static QString seriesName(const PlotSeries& series);

  private:
    std::uint64_t liveRevision() const;

    const series::SeriesStore& store_;
};

}  // namespace tarvix::plot
