// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/PointFlags.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace tarvix::series {

void PointFlags::Free::operator()(std::uint64_t* words) const {
    std::free(words);
}

// calloc maps zero pages untouched, so flags cost memory only where a point was flagged or
// committed.
PointFlags::PointFlags(int blocks)
    : words_(static_cast<std::uint64_t*>(
          std::calloc(static_cast<std::size_t>(blocks) * kWordsPerBlock, sizeof(std::uint64_t)))) {
    if (!words_) {
        throw std::bad_alloc();
    }
}

void PointFlags::set(int block, int segment, int point, bool on) {
    const std::size_t bit = bitIndex(block, segment, point);
    const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
    std::uint64_t& word = words_[bit / 64];
    word = on ? (word | mask) : (word & ~mask);
}

void PointFlags::clear(int first, int count) {
    if (count > 0) {
        std::memset(words_.get() + static_cast<std::size_t>(first) * kWordsPerBlock, 0,
                    static_cast<std::size_t>(count) * kWordsPerBlock * sizeof(std::uint64_t));
    }
}

void PointFlags::copyBlock(const PointFlags& from, int fromBlock, int toBlock) {
    std::memcpy(words_.get() + static_cast<std::size_t>(toBlock) * kWordsPerBlock,
                from.words_.get() + static_cast<std::size_t>(fromBlock) * kWordsPerBlock,
                kWordsPerBlock * sizeof(std::uint64_t));
}

}  // namespace tarvix::series
