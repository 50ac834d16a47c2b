// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/NearestPoint.h"

#include <algorithm>
#include <cmath>

namespace tarvix::plot {

namespace {

// The shortest distance from `at` to the box of a chunk of points, in pixels; infinite when
// the chunk holds nothing the axes show.
double distanceToBox(const PointChunk& chunk, const AxisMap& x, const AxisMap& y, QPointF at) {
    double x0 = 0;
    double x1 = 0;
    double y0 = 0;
    double y1 = 0;
    if (!chunk.x.coordinates(x, x0, x1) || !chunk.y.coordinates(y, y0, y1)) {
        return INFINITY;
    }
    const auto gap = [](double p0, double p1, double at) {
        return std::max({0.0, std::min(p0, p1) - at, at - std::max(p0, p1)});
    };
    const double dx = gap(x.pixelOfCoordinate(x0), x.pixelOfCoordinate(x1), at.x());
    const double dy = gap(y.pixelOfCoordinate(y0), y.pixelOfCoordinate(y1), at.y());
    return std::hypot(dx, dy);
}

struct Candidate {
    double bound;
    int series;
    int segment;
    const PointChunk* chunk;
};

class Search {
  public:
    Search(const std::vector<PlotSeries>& series, const AxisMap& x, const AxisMap& y, QPointF at,
           double reach)
        : series_(series), x_(x), y_(y), at_(at), best_{-1, -1, -1, reach} {}

    void scan(const Candidate& candidate) {
        const PlotSegment& segment = series_[static_cast<std::size_t>(candidate.series)]
                                         .segments[static_cast<std::size_t>(candidate.segment)];
        const int end = candidate.chunk->first + candidate.chunk->count;
        for (int p = candidate.chunk->first; p < end; ++p) {
            const double vx = x_.onAxis(segment.x[p]);
            const double vy = y_.onAxis(segment.y[p]);
            if (!x_.shows(vx) || !y_.shows(vy)) {
                continue;
            }
            // Most points of a chunk are too far to the side already: no height needed.
            const double dx = x_.pixel(vx) - at_.x();
            if (std::fabs(dx) > best_.distance) {
                continue;
            }
            const double distance = std::hypot(dx, y_.pixel(vy) - at_.y());
            if (distance <= best_.distance) {
                best_ = {candidate.series, candidate.segment, p, distance};
            }
        }
    }
    const PointHit& best() const { return best_; }

  private:
    const std::vector<PlotSeries>& series_;
    const AxisMap& x_;
    const AxisMap& y_;
    QPointF at_;
    PointHit best_;
};

}  // namespace

std::optional<PointHit> nearestPoint(const std::vector<PlotSeries>& series,
                                     const std::vector<const SeriesSummary*>& summaries,
                                     const AxisMap& x, const AxisMap& y, QPointF at, double reach) {
    // Groups of chunks first, nearest first; their chunks only while they can still hold a
    // point nearer than the best so far.
    std::vector<Candidate> groups;
    for (std::size_t s = 0; s < series.size() && s < summaries.size(); ++s) {
        if (!series[s].shown) {
            continue;
        }
        const auto& segments = summaries[s]->segments;
        for (std::size_t g = 0; g < segments.size(); ++g) {
            for (const PointChunk& group : segments[g].groups) {
                const double bound = distanceToBox(group, x, y, at);
                if (bound <= reach) {
                    groups.push_back({bound, static_cast<int>(s), static_cast<int>(g), &group});
                }
            }
        }
    }
    std::sort(groups.begin(), groups.end(),
              [](const Candidate& a, const Candidate& b) { return a.bound < b.bound; });
    Search search(series, x, y, at, reach);
    for (const Candidate& group : groups) {
        if (group.bound > search.best().distance) {
            break;
        }
        const auto& chunks = summaries[static_cast<std::size_t>(group.series)]
                                 ->segments[static_cast<std::size_t>(group.segment)]
                                 .chunks;
        const auto first =
            static_cast<std::size_t>(group.chunk->first / SegmentSummary::kChunkPoints);
        const std::size_t end = std::min(chunks.size(), first + SegmentSummary::kChunksPerGroup);
        for (std::size_t c = first; c < end; ++c) {
            if (distanceToBox(chunks[c], x, y, at) <= search.best().distance) {
                search.scan({0.0, group.series, group.segment, &chunks[c]});
            }
        }
    }
    if (search.best().series < 0) {
        return std::nullopt;
    }
    return search.best();
}

std::vector<Crossing> crossingsAt(const std::vector<PlotSeries>& series,
                                  const std::vector<const SeriesSummary*>& summaries,
                                  double value) {
    std::vector<Crossing> crossings;
    for (std::size_t s = 0; s < series.size() && s < summaries.size(); ++s) {
        if (!series[s].shown) {
            continue;
        }
        for (std::size_t g = 0; g < series[s].segments.size(); ++g) {
            const PlotSegment& segment = series[s].segments[g];
            const SegmentSummary& summary = summaries[s]->segments[g];
            double previousX = NAN;
            double previousY = NAN;
            for (const PointChunk& chunk : summary.chunks) {
                // A chunk whose points all lie on one side is crossed only by the line
                // from the chunk before, which the last point of that one carries over.
                const bool reaches = chunk.x.low <= value && chunk.x.high >= value;
                const bool joins = !std::isnan(previousX) &&
                                   (previousX - value) * (segment.x[chunk.first] - value) <= 0;
                if (!reaches && !joins) {
                    const int last = chunk.first + chunk.count - 1;
                    previousX = segment.x[last];
                    previousY = segment.y[last];
                    continue;
                }
                for (int p = chunk.first; p < chunk.first + chunk.count; ++p) {
                    const double px = segment.x[p];
                    const double py = segment.y[p];
                    if (px == value) {
                        crossings.push_back({static_cast<int>(s), static_cast<int>(g), py});
                    } else if (!std::isnan(previousX) && previousX != value &&
                               (previousX - value) * (px - value) < 0) {
                        const double t = (value - previousX) / (px - previousX);
                        crossings.push_back({static_cast<int>(s), static_cast<int>(g),
                                             previousY + t * (py - previousY)});
                    }
                    previousX = px;
                    previousY = py;
                }
            }
        }
    }
    return crossings;
}

}  // namespace tarvix::plot
