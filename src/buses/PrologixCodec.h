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
};

// Splits the byte stream a controller receives into lines. Chunks may end anywhere, even
// between an ESC and the character it escapes. Empty lines (CR LF pairs) are dropped.
class PrologixLineSplitter {
  public:
    void feed(const QByteArray& bytes);
    std::optional<PrologixLine> next();

  private:
    void endLine();

    std::deque<PrologixLine> ready_;
    QByteArray current_;
    bool escapePending_ = false;
    // How the current line opens: 0 nothing yet, 1 one unescaped "+", 2 "++" (a command),
    // -1 anything else (data).
    int lead_ = 0;
};

}  // namespace tarvix::buses
