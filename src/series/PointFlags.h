// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarvix::series {

// One bit beside every point slot of a store's layer, in blocks laid out as its tables: a
// block of eight segments (one series, or the live run), each segment's slots starting on a
// word of their own, so that a commit or a clear moves whole words. Allocated once, zero.
class PointFlags {
  public:
    static constexpr int kSegments = 8;
    static constexpr int kSlotsPerSegment = 10001;
    static constexpr std::size_t kWordsPerSegment = (kSlotsPerSegment + 63) / 64;
    static constexpr std::size_t kWordsPerBlock = kWordsPerSegment * kSegments;

    explicit PointFlags(int blocks);

    // Blocks count from 0, segments from 1, points 0..10000.
    bool test(int block, int segment, int point) const {
        const std::size_t bit = bitIndex(block, segment, point);
        return (words_[bit / 64] >> (bit % 64)) & 1U;
    }
    void set(int block, int segment, int point, bool on);
    // Blocks first .. first + count - 1 become all clear.
    void clear(int first, int count);
    void copyBlock(const PointFlags& from, int fromBlock, int toBlock);
    void swap(PointFlags& other) noexcept { words_.swap(other.words_); }

  private:
    struct Free {
        void operator()(std::uint64_t* words) const;
    };
    static std::size_t bitIndex(int block, int segment, int point) {
        return (static_cast<std::size_t>(block) * kWordsPerBlock +
                static_cast<std::size_t>(segment - 1) * kWordsPerSegment) *
                   64 +
               static_cast<std::size_t>(point);
    }

    std::unique_ptr<std::uint64_t[], Free> words_;
};

}  // namespace tarvix::series
