// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIODevice>
#include <memory>
#include <string_view>

namespace tarvix::series {

// Splits a device's bytes into lines, reading it in large blocks. A line ends at LF; a CR
// before the LF is dropped. The line returned by next() and the one before it stay valid
// until the following call, so that a reader can still look at a header's preceding line.
class KtlLineReader {
  public:
    // `startOffset`: where in the input the device stands, so that line offsets count from
    // the input's start.
    explicit KtlLineReader(QIODevice& device, qint64 startOffset = 0);

    // The next line without its line end; false at the end of the input or on a read error.
    bool next(std::string_view& line);
    std::string_view previous() const;
    // The line last returned by next(), again.
    std::string_view current() const;
    // Where the line last returned by next() starts in the input.
    qint64 lineOffset() const { return base_ + currentStart_; }
    // False when the input ended inside the line last returned (a file cut short).
    bool lastLineTerminated() const { return lastTerminated_; }
    bool readFailed() const { return readFailed_; }

  private:
    bool fill();

    QIODevice& device_;
    std::unique_ptr<char[]> buffer_;
    qsizetype capacity_ = 0;
    qint64 base_ = 0;     // the input offset of buffer_[0]
    qsizetype end_ = 0;   // bytes in the buffer
    qsizetype scan_ = 0;  // where the next line starts
    qsizetype currentStart_ = 0, currentLength_ = -1;
    qsizetype previousStart_ = 0, previousLength_ = -1;
    bool atEnd_ = false;
    bool readFailed_ = false;
    bool lastTerminated_ = true;
};

}  // namespace tarvix::series
