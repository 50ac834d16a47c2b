// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/PrologixTransport.h"

#include <QDeadlineTimer>
#include <QIODevice>
#include <algorithm>

namespace tarvix::buses {

bool PrologixTransport::write(const QByteArray& bytes, int timeoutMs) {
    QIODevice* io = device();
    if (!linkUp() || !io) {
        return false;
    }
    if (io->write(bytes) != bytes.size()) {
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    while (io->bytesToWrite() > 0) {
        if (!io->waitForBytesWritten(static_cast<int>(deadline.remainingTime())) || !linkUp()) {
            return io->bytesToWrite() == 0 && linkUp();
        }
    }
    return true;
}

void PrologixTransport::discardInput() {
    pending_.clear();
    QIODevice* io = device();
    if (!linkUp() || !io) {
        return;
    }
    io->waitForReadyRead(0);
    io->readAll();
}

PrologixTransport::Read PrologixTransport::readLine(QByteArray* line, int quietMs, int overallMs) {
    QIODevice* io = device();
    const QDeadlineTimer deadline(overallMs);
    for (;;) {
        const qsizetype end = pending_.indexOf('\n');
        if (end >= 0) {
            *line = pending_.left(end);
            pending_.remove(0, end + 1);
            return Read::Line;
        }
        if (pending_.size() > kMaxLineLength) {
            pending_.clear();
            return Read::TooLong;
        }
        if (!linkUp() || !io) {
            return Read::LinkLost;
        }
        const int wait = static_cast<int>(std::min<qint64>(quietMs, deadline.remainingTime()));
        if (deadline.hasExpired() || (io->bytesAvailable() == 0 && !io->waitForReadyRead(wait))) {
            if (!linkUp()) {
                return Read::LinkLost;
            }
            pending_.clear();
            return Read::TimedOut;
        }
        pending_.append(io->read(kMaxLineLength + 1 - pending_.size()));
    }
}

}  // namespace tarvix::buses
