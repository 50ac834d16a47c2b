// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/PrologixCodec.h"

namespace tarvix::buses {

namespace {

constexpr char kEsc = '\x1b';

bool needsEscape(char c) {
    return c == '\r' || c == '\n' || c == kEsc || c == '+';
}

}  // namespace

QByteArray prologixEscape(const QByteArray& data) {
    QByteArray escaped;
    escaped.reserve(data.size() + 8);
    for (const char c : data) {
        if (needsEscape(c)) {
            escaped.append(kEsc);
        }
        escaped.append(c);
    }
    return escaped;
}

void PrologixLineSplitter::feed(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (escapePending_) {
            append(c);
            escapePending_ = false;
        } else if (c == kEsc) {
            escapePending_ = true;
            if (lead_ >= 0 && lead_ < 2) {
                lead_ = -1;
            }
        } else if (c == '\r' || c == '\n') {
            endLine();
        } else {
            if (lead_ >= 0 && lead_ < 2) {
                lead_ = c == '+' ? lead_ + 1 : -1;
            }
            append(c);
        }
    }
}

void PrologixLineSplitter::append(char c) {
    if (current_.size() < maxLine_) {
        current_.append(c);
    } else {
        overrun_ = true;
    }
}

std::optional<PrologixLine> PrologixLineSplitter::next() {
    if (ready_.empty()) {
        return std::nullopt;
    }
    PrologixLine line = std::move(ready_.front());
    ready_.pop_front();
    return line;
}

void PrologixLineSplitter::endLine() {
    if (lead_ == 2) {
        ready_.push_back({current_.mid(2).trimmed(), true, overrun_});
    } else if (lead_ != 0) {
        ready_.push_back({current_, false, overrun_});
    }
    current_.clear();
    lead_ = 0;
    overrun_ = false;
}

}  // namespace tarvix::buses
