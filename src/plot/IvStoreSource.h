// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <map>
#include <vector>

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

    QString title() const override { return QStringLiteral("Current against voltage"); }
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
    // The points of a segment at compliance, as indices into its arrays.
    std::vector<int> flaggedPoints(int slot, int segment, int count) const;
    const std::vector<int>& storedFlags(int slot, std::uint64_t revision, int segment,
                                        int count) const;

    const series::SeriesStore& store_;
    // Flags of stored series as last read, by slot and segment: read again only when the
    // series' revision moves (a flag changes only with a write of its series).
    struct KnownFlags {
        std::uint64_t revision = 0;
        std::array<std::vector<int>, 9> segments;
        std::array<bool, 9> read{};
    };
    mutable std::map<int, KnownFlags> flags_;
};

}  // namespace tarvix::plot
