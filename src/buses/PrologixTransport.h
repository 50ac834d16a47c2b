// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace tarvix::buses {

// The byte stream to a Prologix-style controller (a TCP socket or a USB serial port),
// used with blocking calls and time-outs: the program drives the bus from its one thread.
class PrologixTransport {
  public:
    enum class Read { Line, TimedOut, LinkLost, TooLong };

    // Longer lines than any instrument or controller sends: a peer that streams without a
    // line end is cut here rather than read into memory for ever.
    static constexpr qsizetype kMaxLineLength = 65536;

    virtual ~PrologixTransport() = default;

    // Opens (or reopens after a loss) the link; false with a reason otherwise.
    virtual bool open(QString* error) = 0;
    virtual void close() = 0;
    // "HOST:PORT" or the device path, for messages.
    virtual QString description() const = 0;
    virtual bool linkUp() const = 0;

    // Writes all of `bytes`; false when the link is lost or the write does not finish in time.
    bool write(const QByteArray& bytes, int timeoutMs);
    // Drops whatever the controller sent that nobody asked for.
    void discardInput();
    // Reads one line ending in LF (returned without it). `quietMs` is the longest pause
    // allowed between arriving bytes: the controller's own read time-out works the same way.
    // A line that has not ended `overallMs` after the call, or that grows past kMaxLineLength,
    // ends the read (TimedOut, TooLong); what came so far of it is dropped.
    Read readLine(QByteArray* line, int quietMs, int overallMs);

  protected:
    virtual QIODevice* device() const = 0;
    // Called whenever a link closes so that a later open starts clean.
    void forgetInput() { pending_.clear(); }

  private:
    QByteArray pending_;  // bytes after the last LF handed out
};

}  // namespace tarvix::buses
