// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>
#include <bitset>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "series/PointFlags.h"

namespace tarvix::series {

class SeriesStoreObserver;

// Every measured I-V characteristic the program holds: the live layer of the run being
// measured and the stored layer of up to 150 finished series of eight segments. Point index 0
// of every segment holds the segment's point count as a float; points are 1..count.
//
// The tables are allocated once, zero-filled lazily by the operating system, and laid out so
// that one segment's points (and one series' segments) are contiguous.
class SeriesStore {
  public:
    static constexpr int kMaxSeries = 150;
    static constexpr int kSegments = 8;
    static constexpr int kMaxPoints = 10000;
    static constexpr int kSlotsPerSegment = kMaxPoints + 1;
    static_assert(PointFlags::kSlotsPerSegment == kSlotsPerSegment &&
                  PointFlags::kSegments == kSegments);

    SeriesStore();
    ~SeriesStore();
    SeriesStore(const SeriesStore&) = delete;
    SeriesStore& operator=(const SeriesStore&) = delete;

    static bool validSegment(int segment) { return segment >= 1 && segment <= kSegments; }
    static bool validSeries(int series) { return series >= 1 && series <= kMaxSeries; }
    static bool validPoint(int point) { return point >= 0 && point <= kMaxPoints; }
    // A count float rounded to the nearest integer, halves to even.
    static int roundedCount(float count);

    // Live layer: segment 1..8, each kSlotsPerSegment floats, [0] = count.
    float* liveCurrent(int segment);
    float* liveVoltage(int segment);
    const float* liveCurrent(int segment) const;
    const float* liveVoltage(int segment) const;
    int liveCount(int segment) const { return roundedCount(liveCurrent(segment)[0]); }
    QString& liveLabel(int segment) { return liveLabels_[static_cast<size_t>(segment)]; }
    const QString& liveLabel(int segment) const {
        return liveLabels_[static_cast<size_t>(segment)];
    }
    void clearLiveLabels();
    // Writes point `point` (1..10000) of a live segment, its count and whether the source's
    // limit clipped it, as acquisition does, and tells the observer.
    void setLivePoint(int segment, int point, double voltage, double current,
                      bool atCompliance = false);
    // Acquisition marks the end of a live segment once its label is complete.
    void endLiveSegment(int segment);
    // At most one observer; nullptr detaches it.
    void setObserver(SeriesStoreObserver* observer) { observer_ = observer; }

    // Stored layer: series 1..150, segment 1..8. The writable accessors count as a write of
    // that series (see storedRevision).
    float* storedCurrent(int segment, int series);
    float* storedVoltage(int segment, int series);
    const float* storedCurrent(int segment, int series) const;
    const float* storedVoltage(int segment, int series) const;
    // For a pass that rewrites series and then tells which ones it changed
    // (markSeriesWritten): the tables, without the access counting as a write.
    float* storedCurrentForRewrite(int segment, int series) {
        makePendingCopies();
        return storedCurrent_ + storedIndex(segment, series);
    }
    float* storedVoltageForRewrite(int segment, int series) {
        makePendingCopies();
        return storedVoltage_ + storedIndex(segment, series);
    }
    const float* storedCurrentCopy(int segment, int series) const;
    const float* storedVoltageCopy(int segment, int series) const;
    // Count of a stored segment, from storedCurrent[0] (a file read stores it only there).
    int storedCount(int segment, int series) const;
    QString& segmentLabel(int segment, int series);
    const QString& segmentLabel(int segment, int series) const;

    // Points at the compliance: the reading sat at the limit of the source, so the point shows
    // the limit rather than the sample. Kept beside both layers and moved with them (commit,
    // clear, delete); the corrections and their copies leave them alone, and a series read from
    // a .ktl file has none. Arguments run series, segment, point (1..150, 1..8, 1..10000).
    bool atCompliance(int series, int segment, int point) const {
        assert(validSeries(series) && validSegment(segment) && validPoint(point));
        return storedFlags_.test(series - 1, segment, point);
    }
    bool liveAtCompliance(int segment, int point) const {
        assert(validSegment(segment) && validPoint(point));
        return liveFlags_.test(0, segment, point);
    }
    // A series put back from elsewhere (the journal) brings its flags; counts as a write.
    void setAtCompliance(int series, int segment, int point, bool on);

    int seriesCount = 0;  // the highest slot in use; the slot the live layer belongs to

    // Copies the whole live block (points 0..10000, segments 1..8) and the live labels into
    // `slot`. Returns false, writing nothing, for a slot outside 1..150.
    bool commitLive(int slot);
    // The animation's commit: the point tables only, the slot's labels stay.
    bool commitLivePoints(int slot);
    void clearLive();
    int liveSegmentCount() const;
    int storedSegmentCount() const;  // over series 1..seriesCount
    void clearStored(int lastSeries);
    // Empties one stored series: its points, count, labels and compliance flags, in the tables
    // and in their copies, so that no correction or restore brings it back. The other series keep
    // their slots; the empty one is skipped by every reader, as any empty slot is.
    void clearSeries(int series);
    // The copies become the tables as they stand. They are made when first needed, series by
    // series: a write of one series copies that series alone (a commit of the live layer
    // copies nothing else), and a read of a copy, a write of whole tables or
    // makePendingCopies copies them all. Until the first write the tables are their own
    // copies (copiesPending), and a snapshot costs nothing.
    void snapshotStored();
    void restoreStored();
    bool copiesPending() const { return copiesPending_; }
    // Makes copies still pending; call it before threads read the copies or rewrite tables.
    void makePendingCopies() const;
    // Exchanges everything the two stores hold (both layers, labels, copies, seriesCount);
    // each keeps its own observer. An open reads into a fresh store and swaps it in only when
    // the read succeeded.
    void swapContents(SeriesStore& other);
    void copyLabelsFrom(const SeriesStore& other);
    // The label lines of every stored segment, slot after slot: kept aside while a preview
    // shows a file's points under the labels from before, and put in place when it is opened.
    std::vector<QString> segmentLabelTable() const;
    void setSegmentLabelTable(const std::vector<QString>& labels);

    // Raw whole-table access for bulk passes (corrections, benchmarks): series-major blocks of
    // kSegments * kSlotsPerSegment floats, series 1 first.
    float* storedCurrentTable() {
        markStoredChanged();
        return storedCurrent_;
    }
    float* storedVoltageTable() {
        markStoredChanged();
        return storedVoltage_;
    }
    static constexpr std::size_t kSeriesBlock =
        static_cast<std::size_t>(kSegments) * kSlotsPerSegment;
    static constexpr std::size_t kTableFloats = kSeriesBlock * kMaxSeries;

    // Bumped by every change of the stored layer, so that views can cache what they drew.
    unsigned storedRevision() const { return storedRevision_; }
    // Revisions are unique over every store of the program, so that one swapped in is never
    // taken for what a view drew before.
    void markStoredChanged();
    void markSeriesWritten(int series);
    // Moves when series `series` (1..150) may have changed; a view that keeps what it drew of
    // each series looks again only at the series whose revision moved.
    unsigned seriesRevision(int series) const;
    // Moves with every clearLive, which is the only way the live layer shrinks other than
    // writing a smaller count.
    unsigned liveGeneration() const { return liveGeneration_; }

  private:
    static std::size_t storedIndex(int segment, int series);
    static unsigned nextRevision();
    void markWholeTables();
    bool copyLiveInto(int slot);
    void noteWritten(int series);
    void makePendingCopy(int series) const;

    float* liveCurrent_ = nullptr;
    float* liveVoltage_ = nullptr;
    float* storedCurrent_ = nullptr;
    float* storedVoltage_ = nullptr;
    float* storedCurrentCopy_ = nullptr;
    float* storedVoltageCopy_ = nullptr;
    std::array<QString, kSegments + 1> liveLabels_;
    std::unique_ptr<QString[]> segmentLabels_;
    PointFlags liveFlags_{1};
    PointFlags storedFlags_{kMaxSeries};
    int highestWrittenSeries_ = 0;  // slots above it are zero in all four tables
    unsigned storedRevision_ = 0;
    unsigned wholeTablesRevision_ = 0;                        // the last write of whole tables
    std::array<unsigned, kMaxSeries + 1> seriesRevisions_{};  // the last write of one series
    unsigned liveGeneration_ = 0;
    mutable bool copiesPending_ = false;
    // Series whose copies are still the tables' (series 0 unused).
    mutable std::bitset<kMaxSeries + 1> seriesCopiesPending_;
    SeriesStoreObserver* observer_ = nullptr;
};

}  // namespace tarvix::series
