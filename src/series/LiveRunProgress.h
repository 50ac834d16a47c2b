// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <array>
#include <cstdint>
#include <optional>

#include "series/SeriesStore.h"

namespace tarvix::series {

// How much of the live run a picture shows, so that the next drawing adds only the points
// measured since. The live run may only grow at its end: a segment gains points after its
// last drawn one, or a later segment starts. Anything else (a cleared or rewritten run, a
// segment before the last drawn one growing) calls for drawing the run anew.
class LiveRunProgress {
  public:
    // What else the picture was made of: when any of it changes, the run is drawn anew.
    struct Basis {
        std::uint64_t pictureKey = 0;   // the picture's cache key right after drawing
        std::uint64_t underlayKey = 0;  // the backdrop and stored layer under the run
        const SeriesStore* store = nullptr;
        unsigned liveGeneration = 0;
        bool joinPoints = false;
        bool operator==(const Basis&) const = default;
    };

    void forget() { valid_ = false; }
    // The picture now shows every point of the store's live run, and the marker at `marker`.
    void drawn(const Basis& basis, const SeriesStore& store, std::optional<QPoint> marker);
    // The picture now also shows the points added since, and the marker at `marker`.
    void grew(const SeriesStore& store, std::optional<QPoint> marker);
    // The picture's cache key once the drawing is done: any later write into it moves it.
    void setPictureKey(std::uint64_t key) { basis_.pictureKey = key; }
    // Whether the picture drawn on `basis` can be brought up to date by adding points.
    bool onlyGrew(const Basis& basis, const SeriesStore& store) const;
    // Points 1..drawnCount(segment) are in the picture.
    int drawnCount(int segment) const { return counts_[static_cast<std::size_t>(segment)]; }
    std::optional<QPoint> marker() const { return marker_; }

  private:
    static constexpr std::size_t kSlots = SeriesStore::kSegments + 1;

    Basis basis_;
    bool valid_ = false;
    std::array<int, kSlots> counts_{};
    // The last drawn point of each segment, to notice a segment rewritten in place.
    std::array<float, kSlots> lastVoltage_{};
    std::array<float, kSlots> lastCurrent_{};
    std::optional<QPoint> marker_;
};

}  // namespace tarvix::series
