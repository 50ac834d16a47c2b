// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <deque>
#include <optional>

namespace tarvix::buses {

// Data for an instrument goes to the controller as one line: CR, LF, ESC and "+" are
// escaped with ESC so that they reach the instrument instead of ending the line or
// starting a controller command. The line end itself is added by the caller.
QByteArray prologixEscape(const QByteArray& data);

// One line received by a controller: either a "++" command or data for the instrument,
// already unescaped.
struct PrologixLine {
    QByteArray text;  // the command without its "++", or the unescaped data
    bool command = false;
    bool overrun = false;  // the line was longer than the splitter keeps: `text` is cut
};

// Splits the byte stream a controller receives into lines. Chunks may end anywhere, even
// between an ESC and the character it escapes. Empty lines (CR LF pairs) are dropped. A line
// longer than `maxLine` keeps only its first `maxLine` bytes and comes out marked overrun,
// so that a line without end cannot grow the controller's memory.
class PrologixLineSplitter {
  public:
    explicit PrologixLineSplitter(qsizetype maxLine = kMaxLine) : maxLine_(maxLine) {}

    void feed(const QByteArray& bytes);
    std::optional<PrologixLine> next();
    std::size_t readyLines() const { return ready_.size(); }

    static constexpr qsizetype kMaxLine = 64 * 1024;

  private:
    void endLine();
    void append(char c);

    qsizetype maxLine_;
    bool overrun_ = false;
    std::deque<PrologixLine> ready_;
    QByteArray current_;
    bool escapePending_ = false;
    // How the current line opens: 0 nothing yet, 1 one unescaped "+", 2 "++" (a command),
    // -1 anything else (data).
    int lead_ = 0;
};

}  // namespace tarvix::buses
