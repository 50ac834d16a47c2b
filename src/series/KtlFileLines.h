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
    explicit KtlLineReader(QIODevice& device);

    // The next line without its line end; false at the end of the input or on a read error.
    bool next(std::string_view& line);
    std::string_view previous() const;
    // False when the input ended inside the line last returned (a file cut short).
    bool lastLineTerminated() const { return lastTerminated_; }
    bool readFailed() const { return readFailed_; }

  private:
    bool fill();

    QIODevice& device_;
    std::unique_ptr<char[]> buffer_;
    qsizetype capacity_ = 0;
    qsizetype end_ = 0;   // bytes in the buffer
    qsizetype scan_ = 0;  // where the next line starts
    qsizetype currentStart_ = 0, currentLength_ = -1;
    qsizetype previousStart_ = 0, previousLength_ = -1;
    bool atEnd_ = false;
    bool readFailed_ = false;
    bool lastTerminated_ = true;
};

}  // namespace tarvix::series
