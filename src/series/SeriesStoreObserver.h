// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::series {

// Told of every change to the live layer that a measurement makes, so that a recovery journal
// can keep each point as it is measured without the acquisition code knowing about it.
class SeriesStoreObserver {
  public:
    virtual ~SeriesStoreObserver() = default;
    // Point `point` (1..10000) of live segment `segment` was just written, count included.
    virtual void livePointStored(int segment, int point) = 0;
    // The running segment reached its end and its label is complete.
    virtual void liveSegmentEnded(int segment) = 0;
    // The live layer was copied into stored slot `slot` (labels too unless `withLabels` is
    // false: the animation's commit keeps the slot's labels).
    virtual void liveCommitted(int slot, bool withLabels) = 0;
    // The live point tables were emptied.
    virtual void liveCleared() = 0;
};

}  // namespace tarvix::series
