// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/SeriesStore.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "series/SeriesStoreObserver.h"

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
      segmentLabels_(new QString[static_cast<std::size_t>(kSegments) * kMaxSeries]),
      storedRevision_(nextRevision()) {}

SeriesStore::~SeriesStore() {
    for (float* table : {liveCurrent_, liveVoltage_, storedCurrent_, storedVoltage_,
                         storedCurrentCopy_, storedVoltageCopy_}) {
        std::free(table);
    }
}

unsigned SeriesStore::nextRevision() {
    static std::atomic<unsigned> last{0};
    return ++last;
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
    makePendingCopies();
    return storedCurrentCopy_ + storedIndex(segment, series);
}
const float* SeriesStore::storedVoltageCopy(int segment, int series) const {
    makePendingCopies();
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

// Every revision comes from one counter for all stores, so the later of the two is the
// series' last write, and no two writes anywhere share one.
unsigned SeriesStore::seriesRevision(int series) const {
    assert(validSeries(series));
    return std::max(wholeTablesRevision_, seriesRevisions_[static_cast<std::size_t>(series)]);
}

void SeriesStore::markWholeTables() {
    storedRevision_ = nextRevision();
    wholeTablesRevision_ = storedRevision_;
}

void SeriesStore::markStoredChanged() {
    makePendingCopies();
    markWholeTables();
    noteWritten(kMaxSeries);
}

// A write of one series needs the copy of that series only: the copies of the others stay
// pending, and a commit into a new slot after an open or a save copies nothing.
void SeriesStore::markSeriesWritten(int series) {
    if (validSeries(series)) {
        makePendingCopy(series);
    }
    copiesPending_ = false;
    storedRevision_ = nextRevision();
    if (validSeries(series)) {
        seriesRevisions_[static_cast<std::size_t>(series)] = storedRevision_;
    }
    noteWritten(series);
}

void SeriesStore::noteWritten(int series) {
    highestWrittenSeries_ = std::max(highestWrittenSeries_, std::min(series, kMaxSeries));
}

void SeriesStore::setAtCompliance(int series, int segment, int point, bool on) {
    assert(validSeries(series) && validSegment(segment) && validPoint(point));
    markSeriesWritten(series);
    storedFlags_.set(series - 1, segment, point, on);
}

void SeriesStore::setLivePoint(int segment, int point, double voltage, double current,
                               bool atCompliance) {
    assert(point >= 1 && point <= kMaxPoints);
    liveFlags_.set(0, segment, point, atCompliance);
    float* currents = liveCurrent(segment);
    float* voltages = liveVoltage(segment);
    voltages[point] = static_cast<float>(voltage);
    currents[point] = static_cast<float>(current);
    voltages[0] = static_cast<float>(point);
    currents[0] = static_cast<float>(point);
    if (observer_) {
        observer_->livePointStored(segment, point);
    }
}

void SeriesStore::endLiveSegment(int segment) {
    if (observer_) {
        observer_->liveSegmentEnded(segment);
    }
}

bool SeriesStore::copyLiveInto(int slot) {
    if (!validSeries(slot)) {
        return false;
    }
    std::memcpy(storedCurrent(1, slot), liveCurrent_, kLiveFloats * sizeof(float));
    std::memcpy(storedVoltage(1, slot), liveVoltage_, kLiveFloats * sizeof(float));
    storedFlags_.copyBlock(liveFlags_, 0, slot - 1);
    markSeriesWritten(slot);
    return true;
}

bool SeriesStore::commitLivePoints(int slot) {
    if (!copyLiveInto(slot)) {
        return false;
    }
    if (observer_) {
        observer_->liveCommitted(slot, false);
    }
    return true;
}

bool SeriesStore::commitLive(int slot) {
    if (!copyLiveInto(slot)) {
        return false;
    }
    for (int segment = 1; segment <= kSegments; ++segment) {
        segmentLabel(segment, slot) = liveLabel(segment);
    }
    if (observer_) {
        observer_->liveCommitted(slot, true);
    }
    return true;
}

void SeriesStore::clearLive() {
    liveGeneration_ = nextRevision();
    std::memset(liveCurrent_, 0, kLiveFloats * sizeof(float));
    std::memset(liveVoltage_, 0, kLiveFloats * sizeof(float));
    liveFlags_.clear(0, 1);
    if (observer_) {
        observer_->liveCleared();
    }
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
    makePendingCopies();
    const int last = std::min(lastSeries, highestWrittenSeries_);
    if (last >= 1) {
        const std::size_t floats = static_cast<std::size_t>(last) * kSeriesBlock;
        std::memset(storedCurrent_, 0, floats * sizeof(float));
        std::memset(storedVoltage_, 0, floats * sizeof(float));
        storedFlags_.clear(0, last);
    }
    markWholeTables();
}

void SeriesStore::clearSeries(int series) {
    if (!validSeries(series)) {
        return;
    }
    makePendingCopies();
    const std::size_t first = static_cast<std::size_t>(series - 1) * kSeriesBlock;
    for (float* table : {storedCurrent_, storedVoltage_, storedCurrentCopy_, storedVoltageCopy_}) {
        std::memset(table + first, 0, kSeriesBlock * sizeof(float));
    }
    for (int segment = 1; segment <= kSegments; ++segment) {
        segmentLabel(segment, series).clear();
    }
    storedFlags_.clear(series - 1, 1);
    markSeriesWritten(series);
}

// Every write of the tables makes the pending copies of what it writes first, so while a
// series' copy is pending its table is what it was at the snapshot.
void SeriesStore::snapshotStored() {
    copiesPending_ = true;
    seriesCopiesPending_.reset();
    for (int series = 1; series <= highestWrittenSeries_; ++series) {
        seriesCopiesPending_.set(static_cast<std::size_t>(series));
    }
}

void SeriesStore::makePendingCopy(int series) const {
    const auto slot = static_cast<std::size_t>(series);
    if (!seriesCopiesPending_.test(slot)) {
        return;
    }
    seriesCopiesPending_.reset(slot);
    const std::size_t first = storedIndex(1, series);
    std::memcpy(storedCurrentCopy_ + first, storedCurrent_ + first, kSeriesBlock * sizeof(float));
    std::memcpy(storedVoltageCopy_ + first, storedVoltage_ + first, kSeriesBlock * sizeof(float));
}

// Slots above the highest ever written are zero in the tables and their copies alike, so
// they are never pending. Threads call this after it ran once: it then writes nothing.
void SeriesStore::makePendingCopies() const {
    if (seriesCopiesPending_.any()) {
        for (int series = 1; series <= kMaxSeries; ++series) {
            makePendingCopy(series);
        }
    }
    if (copiesPending_) {
        copiesPending_ = false;
    }
}

// A series whose copy is still pending was not written since the snapshot.
void SeriesStore::restoreStored() {
    if (!copiesPending_) {  // pending copies are the tables already
        constexpr std::size_t kBlockBytes = kSeriesBlock * sizeof(float);
        for (int series = 1; series <= highestWrittenSeries_; ++series) {
            if (!seriesCopiesPending_.test(static_cast<std::size_t>(series))) {
                const std::size_t first = storedIndex(1, series);
                std::memcpy(storedCurrent_ + first, storedCurrentCopy_ + first, kBlockBytes);
                std::memcpy(storedVoltage_ + first, storedVoltageCopy_ + first, kBlockBytes);
            }
        }
    }
    markWholeTables();
}

void SeriesStore::swapContents(SeriesStore& other) {
    std::swap(liveCurrent_, other.liveCurrent_);
    std::swap(liveVoltage_, other.liveVoltage_);
    std::swap(storedCurrent_, other.storedCurrent_);
    std::swap(storedVoltage_, other.storedVoltage_);
    std::swap(storedCurrentCopy_, other.storedCurrentCopy_);
    std::swap(storedVoltageCopy_, other.storedVoltageCopy_);
    std::swap(liveLabels_, other.liveLabels_);
    std::swap(segmentLabels_, other.segmentLabels_);
    liveFlags_.swap(other.liveFlags_);
    storedFlags_.swap(other.storedFlags_);
    std::swap(highestWrittenSeries_, other.highestWrittenSeries_);
    std::swap(seriesCount, other.seriesCount);
    // Revisions are unique over all stores, so they travel with the contents.
    std::swap(storedRevision_, other.storedRevision_);
    std::swap(wholeTablesRevision_, other.wholeTablesRevision_);
    std::swap(seriesRevisions_, other.seriesRevisions_);
    std::swap(liveGeneration_, other.liveGeneration_);
    std::swap(copiesPending_, other.copiesPending_);
    std::swap(seriesCopiesPending_, other.seriesCopiesPending_);
}

std::vector<QString> SeriesStore::segmentLabelTable() const {
    const QString* first = segmentLabels_.get();
    return {first, first + static_cast<std::size_t>(kSegments) * kMaxSeries};
}

void SeriesStore::setSegmentLabelTable(const std::vector<QString>& labels) {
    std::copy_n(labels.begin(),
                std::min(labels.size(), static_cast<std::size_t>(kSegments) * kMaxSeries),
                segmentLabels_.get());
}

void SeriesStore::copyLabelsFrom(const SeriesStore& other) {
    liveLabels_ = other.liveLabels_;
    std::copy_n(other.segmentLabels_.get(), static_cast<std::size_t>(kSegments) * kMaxSeries,
                segmentLabels_.get());
}

}  // namespace tarvix::series
