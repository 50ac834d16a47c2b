// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <cmath>

namespace tarvix::series {

// Consecutive points of one segment that fall into the same pixel column, reduced to the
// few that decide what the column shows: the first and the last (which the joining lines to
// the neighbouring columns start and end at) and the lowest and the highest.
class PixelColumnRun {
  public:
    // The points to draw, in their order in the segment, each once.
    class Points {
      public:
        const int* begin() const { return points_.data(); }
        const int* end() const { return points_.data() + size_; }

      private:
        friend class PixelColumnRun;
        std::array<int, 4> points_{};
        int size_ = 0;
    };

    void start(int point, int x, double key) {
        x_ = x;
        first_ = last_ = lowest_ = highest_ = point;
        lowKey_ = highKey_ = key;
        // A point without a height (NaN) cannot be ordered; it stands alone.
        open_ = !std::isnan(key);
        active_ = true;
    }

    // Takes the point when it falls into the run's column; false when it starts a new run.
    bool extend(int point, int x, double key) {
        if (!open_ || x != x_ || std::isnan(key)) {
            return false;
        }
        last_ = point;
        if (key < lowKey_) {
            lowKey_ = key;
            lowest_ = point;
        } else if (key > highKey_) {
            highKey_ = key;
            highest_ = point;
        }
        return true;
    }

    Points pointsToDraw() const {
        Points points;
        if (!active_) {
            return points;
        }
        points.points_ = {first_, std::min(lowest_, highest_), std::max(lowest_, highest_), last_};
        points.size_ = static_cast<int>(std::unique(points.points_.begin(), points.points_.end()) -
                                        points.points_.begin());
        return points;
    }

  private:
    int x_ = 0;
    int first_ = 0;
    int last_ = 0;
    int lowest_ = 0;
    int highest_ = 0;
    double lowKey_ = 0;
    double highKey_ = 0;
    bool open_ = false;
    bool active_ = false;
};

}  // namespace tarvix::series
