#include "series/SeriesStore.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tarvix::series {

namespace {

// calloc of a large block maps fresh zero pages without touching them, so the tables cost
// memory only where something was written.
float* allocateZeroed(std::size_t floats) {
    void* block = std::calloc(floats, sizeof(float));
    if (!block) {
        throw std::bad_alloc();
    }
    return static_cast<float*>(block);
}

constexpr std::size_t kLiveFloats =
    static_cast<std::size_t>(SeriesStore::kSegments) * SeriesStore::kSlotsPerSegment;

}  // namespace

SeriesStore::SeriesStore()
    : liveCurrent_(allocateZeroed(kLiveFloats)),
      liveVoltage_(allocateZeroed(kLiveFloats)),
      storedCurrent_(allocateZeroed(kTableFloats)),
      storedVoltage_(allocateZeroed(kTableFloats)),
      storedCurrentCopy_(allocateZeroed(kTableFloats)),
      storedVoltageCopy_(allocateZeroed(kTableFloats)),
      segmentLabels_(new QString[static_cast<std::size_t>(kSegments) * kMaxSeries]) {}

SeriesStore::~SeriesStore() {
    for (float* table : {liveCurrent_, liveVoltage_, storedCurrent_, storedVoltage_,
                         storedCurrentCopy_, storedVoltageCopy_}) {
        std::free(table);
    }
}

int SeriesStore::roundedCount(float count) {
    return static_cast<int>(std::nearbyint(static_cast<double>(count)));
}

float* SeriesStore::liveCurrent(int segment) {
    assert(validSegment(segment));
    return liveCurrent_ + static_cast<std::size_t>(segment - 1) * kSlotsPerSegment;
}
float* SeriesStore::liveVoltage(int segment) {
    assert(validSegment(segment));
    return liveVoltage_ + static_cast<std::size_t>(segment - 1) * kSlotsPerSegment;
}
const float* SeriesStore::liveCurrent(int segment) const {
    return const_cast<SeriesStore*>(this)->liveCurrent(segment);
}
const float* SeriesStore::liveVoltage(int segment) const {
    return const_cast<SeriesStore*>(this)->liveVoltage(segment);
}

void SeriesStore::clearLiveLabels() {
    for (QString& label : liveLabels_) {
        label.clear();
    }
}

std::size_t SeriesStore::storedIndex(int segment, int series) {
    assert(validSegment(segment) && validSeries(series));
    return static_cast<std::size_t>(series - 1) * kSeriesBlock +
           static_cast<std::size_t>(segment - 1) * kSlotsPerSegment;
}

// Handing out a writable segment counts as a write: the snapshot watermark and the revision
// that views cache against move with it.
float* SeriesStore::storedCurrent(int segment, int series) {
    markSeriesWritten(series);
    return storedCurrent_ + storedIndex(segment, series);
}
float* SeriesStore::storedVoltage(int segment, int series) {
    markSeriesWritten(series);
    return storedVoltage_ + storedIndex(segment, series);
}
const float* SeriesStore::storedCurrent(int segment, int series) const {
    return storedCurrent_ + storedIndex(segment, series);
}
const float* SeriesStore::storedVoltage(int segment, int series) const {
    return storedVoltage_ + storedIndex(segment, series);
}
const float* SeriesStore::storedCurrentCopy(int segment, int series) const {
    return storedCurrentCopy_ + storedIndex(segment, series);
}
const float* SeriesStore::storedVoltageCopy(int segment, int series) const {
    return storedVoltageCopy_ + storedIndex(segment, series);
}

int SeriesStore::storedCount(int segment, int series) const {
    return roundedCount(storedCurrent(segment, series)[0]);
}

QString& SeriesStore::segmentLabel(int segment, int series) {
    assert(validSegment(segment) && validSeries(series));
    return segmentLabels_[static_cast<std::size_t>(series - 1) * kSegments +
                          static_cast<std::size_t>(segment - 1)];
}
const QString& SeriesStore::segmentLabel(int segment, int series) const {
    return const_cast<SeriesStore*>(this)->segmentLabel(segment, series);
}

std::uint64_t SeriesStore::seriesRevision(int series) const {
    assert(validSeries(series));
    return (static_cast<std::uint64_t>(wholeTableWrites_) << 32) |
           seriesWrites_[static_cast<std::size_t>(series)];
}

void SeriesStore::markStoredChanged() {
    ++storedRevision_;
    ++wholeTableWrites_;
    noteWritten(kMaxSeries);
}

void SeriesStore::markSeriesWritten(int series) {
    ++storedRevision_;
    if (validSeries(series)) {
        ++seriesWrites_[static_cast<std::size_t>(series)];
    }
    noteWritten(series);
}

void SeriesStore::noteWritten(int series) {
    highestWrittenSeries_ = std::max(highestWrittenSeries_, std::min(series, kMaxSeries));
}

bool SeriesStore::commitLivePoints(int slot) {
    if (!validSeries(slot)) {
        return false;
    }
    std::memcpy(storedCurrent(1, slot), liveCurrent_, kLiveFloats * sizeof(float));
    std::memcpy(storedVoltage(1, slot), liveVoltage_, kLiveFloats * sizeof(float));
    markSeriesWritten(slot);
    return true;
}

bool SeriesStore::commitLive(int slot) {
    if (!commitLivePoints(slot)) {
        return false;
    }
    for (int segment = 1; segment <= kSegments; ++segment) {
        segmentLabel(segment, slot) = liveLabel(segment);
    }
    return true;
}

void SeriesStore::clearLive() {
    ++liveGeneration_;
    std::memset(liveCurrent_, 0, kLiveFloats * sizeof(float));
    std::memset(liveVoltage_, 0, kLiveFloats * sizeof(float));
}

int SeriesStore::liveSegmentCount() const {
    int count = 0;
    for (int segment = 1; segment <= kSegments; ++segment) {
        count += liveCount(segment) >= 1 ? 1 : 0;
    }
    return count;
}

int SeriesStore::storedSegmentCount() const {
    int count = 0;
    const int last = std::min(seriesCount, kMaxSeries);
    for (int series = 1; series <= last; ++series) {
        for (int segment = 1; segment <= kSegments; ++segment) {
            count += storedCount(segment, series) >= 1 ? 1 : 0;
        }
    }
    return count;
}

void SeriesStore::clearStored(int lastSeries) {
    const int last = std::min(lastSeries, highestWrittenSeries_);
    if (last >= 1) {
        const std::size_t floats = static_cast<std::size_t>(last) * kSeriesBlock;
        std::memset(storedCurrent_, 0, floats * sizeof(float));
        std::memset(storedVoltage_, 0, floats * sizeof(float));
    }
    ++storedRevision_;
    ++wholeTableWrites_;
}

// Slots above the highest ever written are zero in the tables and their copies alike, so
// copying up to it is the same as copying the whole table, without touching idle pages.
void SeriesStore::snapshotStored() {
    const std::size_t floats = static_cast<std::size_t>(highestWrittenSeries_) * kSeriesBlock;
    std::memcpy(storedCurrentCopy_, storedCurrent_, floats * sizeof(float));
    std::memcpy(storedVoltageCopy_, storedVoltage_, floats * sizeof(float));
}

void SeriesStore::restoreStored() {
    const std::size_t floats = static_cast<std::size_t>(highestWrittenSeries_) * kSeriesBlock;
    std::memcpy(storedCurrent_, storedCurrentCopy_, floats * sizeof(float));
    std::memcpy(storedVoltage_, storedVoltageCopy_, floats * sizeof(float));
    ++storedRevision_;
    ++wholeTableWrites_;
}

}  // namespace tarvix::series
