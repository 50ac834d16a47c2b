// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <deque>
#include <optional>

namespace tarvix::buses {

// Splits what a client of a raw instrument port sends into program messages: each ends at a
// line feed, and a carriage return before it is dropped, so "\n" and "\r\n" both end one.
// Empty lines carry no message. Chunks may end anywhere. A line longer than `maxLine` keeps
// only its first `maxLine` bytes and comes out marked overrun, so that a line without end
// cannot grow the server's memory.
class RawLineSplitter {
  public:
    struct Line {
        QByteArray text;
        bool overrun = false;
    };

    explicit RawLineSplitter(qsizetype maxLine = kMaxLine) : maxLine_(maxLine) {}

    void feed(QByteArrayView bytes);
    std::optional<Line> next();
    std::size_t readyLines() const { return ready_.size(); }

    static constexpr qsizetype kMaxLine = 64 * 1024;

  private:
    void append(QByteArrayView bytes);
    void endLine();

    qsizetype maxLine_;
    QByteArray current_;
    bool overrun_ = false;
    std::deque<Line> ready_;
};

}  // namespace tarvix::buses
