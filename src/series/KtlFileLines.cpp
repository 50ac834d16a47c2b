// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlFileLines.h"

#include <cstring>

namespace tarvix::series {

namespace {
constexpr qsizetype kBlockSize = qsizetype(4) << 20;
}

KtlLineReader::KtlLineReader(QIODevice& device, qint64 startOffset)
    : device_(device), buffer_(new char[kBlockSize]), capacity_(kBlockSize), base_(startOffset) {}

std::string_view KtlLineReader::previous() const {
    if (previousLength_ < 0) {
        return {};
    }
    return {buffer_.get() + previousStart_, static_cast<std::size_t>(previousLength_)};
}

std::string_view KtlLineReader::current() const {
    if (currentLength_ < 0) {
        return {};
    }
    return {buffer_.get() + currentStart_, static_cast<std::size_t>(currentLength_)};
}

// Moves the current line and what follows it to the front (the current line becomes the
// previous one and must survive), grows the buffer when that line alone fills it, and reads
// the next block. Returns false when nothing more could be read.
bool KtlLineReader::fill() {
    if (atEnd_) {
        return false;
    }
    const qsizetype keep = currentLength_ >= 0 ? currentStart_ : scan_;
    if (keep > 0) {
        std::memmove(buffer_.get(), buffer_.get() + keep, static_cast<std::size_t>(end_ - keep));
        end_ -= keep;
        base_ += keep;
        scan_ -= keep;
        currentStart_ -= keep;
        previousLength_ = -1;  // superseded by the current line once the next one is found
    }
    if (end_ == capacity_) {
        std::unique_ptr<char[]> larger(new char[capacity_ * 2]);
        std::memcpy(larger.get(), buffer_.get(), static_cast<std::size_t>(end_));
        buffer_ = std::move(larger);
        capacity_ *= 2;
    }
    const qint64 got = device_.read(buffer_.get() + end_, capacity_ - end_);
    if (got <= 0) {
        atEnd_ = true;
        readFailed_ = got < 0;
        return false;
    }
    end_ += got;
    return true;
}

bool KtlLineReader::next(std::string_view& line) {
    qsizetype searchFrom = scan_;
    for (;;) {
        const void* found = std::memchr(buffer_.get() + searchFrom, '\n',
                                        static_cast<std::size_t>(end_ - searchFrom));
        qsizetype lineEnd = 0;
        if (found) {
            lineEnd = static_cast<const char*>(found) - buffer_.get();
            lastTerminated_ = true;
        } else {
            const qsizetype searched = end_ - scan_;
            if (fill()) {
                searchFrom = scan_ + searched;
                continue;
            }
            if (scan_ == end_ || readFailed_) {
                return false;
            }
            lineEnd = end_;
            lastTerminated_ = false;
        }
        previousStart_ = currentStart_;
        previousLength_ = currentLength_;
        currentStart_ = scan_;
        currentLength_ = lineEnd - scan_;
        if (currentLength_ > 0 && buffer_[lineEnd - 1] == '\r') {
            --currentLength_;
        }
        scan_ = found ? lineEnd + 1 : end_;
        line = {buffer_.get() + currentStart_, static_cast<std::size_t>(currentLength_)};
        return true;
    }
}

}  // namespace tarvix::series
