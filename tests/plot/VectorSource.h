// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "plot/PlotSeries.h"
#include "plot/SeriesPalette.h"

namespace tarvix::plot::testing {

// A plot source over plain vectors: series 1, 2, ... of one segment each.
class VectorSource : public PlotSource {
  public:
    struct Curve {
        std::vector<float> x;
        std::vector<float> y;
    };

    QString title() const override { return QStringLiteral("Test curves"); }
    Quantity xQuantity() const override { return {QStringLiteral("Voltage"), QStringLiteral("V")}; }
    Quantity yQuantity() const override {
        return {QStringLiteral("Current"), QStringLiteral("A"), true};
    }
    std::uint64_t stamp() const override { return stamp_; }
    std::vector<PlotSeries> series() const override {
        std::vector<PlotSeries> found;
        for (std::size_t i = 0; i < curves.size(); ++i) {
            PlotSeries one;
            one.number = one.key = static_cast<int>(i) + 1;
            one.colour = seriesColour(one.number);
            one.revision = revisions[i];
            one.segments.push_back({1,
                                    curves[i].x.data(),
                                    curves[i].y.data(),
                                    static_cast<int>(curves[i].x.size()),
                                    {}});
            found.push_back(one);
        }
        return found;
    }
    QString pointText(const PlotSeries& series, const PlotSegment&, int point) const override {
        return QStringLiteral("#%1 point %2").arg(series.number).arg(point);
    }

    void add(Curve curve) {
        curves.push_back(std::move(curve));
        revisions.push_back(++stamp_);
    }
    void changed(std::size_t index) { revisions[index] = ++stamp_; }

    std::vector<Curve> curves;
    std::vector<std::uint64_t> revisions;

  private:
    std::uint64_t stamp_ = 1;
};

}  // namespace tarvix::plot::testing
