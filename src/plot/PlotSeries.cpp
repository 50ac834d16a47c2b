#include "plot/PlotSeries.h"

namespace tarvix::plot {

int PlotSeries::points() const {
    int total = 0;
    for (const PlotSegment& segment : segments) {
        total += segment.count;
    }
    return total;
}

}  // namespace tarvix::plot
