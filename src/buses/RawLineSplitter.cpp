// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/RawLineSplitter.h"

#include <utility>

namespace tarvix::buses {

void RawLineSplitter::feed(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        if (end < 0) {
            append(bytes);
            return;
        }
        append(bytes.first(end));
        endLine();
        bytes = bytes.sliced(end + 1);
    }
}

std::optional<RawLineSplitter::Line> RawLineSplitter::next() {
    if (ready_.empty()) {
        return std::nullopt;
    }
    Line line = std::move(ready_.front());
    ready_.pop_front();
    return line;
}

// One byte beyond the limit is kept for a carriage return the line feed may follow.
void RawLineSplitter::append(QByteArrayView bytes) {
    const qsizetype room = maxLine_ + 1 - current_.size();
    if (bytes.size() > room) {
        overrun_ = true;
        bytes = bytes.first(room);
    }
    current_.append(bytes);
}

void RawLineSplitter::endLine() {
    if (current_.endsWith('\r')) {
        current_.chop(1);
    }
    if (current_.size() > maxLine_) {
        overrun_ = true;
        current_.truncate(maxLine_);
    }
    if (!current_.isEmpty() || overrun_) {
        ready_.push_back({std::exchange(current_, QByteArray()), overrun_});
    }
    current_.clear();
    overrun_ = false;
}

}  // namespace tarvix::buses
