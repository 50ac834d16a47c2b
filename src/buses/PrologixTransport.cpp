#include "buses/PrologixTransport.h"

#include <QDeadlineTimer>
#include <QIODevice>

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

PrologixTransport::Read PrologixTransport::readLine(QByteArray* line, int quietMs) {
    QIODevice* io = device();
    for (;;) {
        const qsizetype end = pending_.indexOf('\n');
        if (end >= 0) {
            *line = pending_.left(end);
            pending_.remove(0, end + 1);
            return Read::Line;
        }
        if (!linkUp() || !io) {
            return Read::LinkLost;
        }
        if (io->bytesAvailable() == 0 && !io->waitForReadyRead(quietMs)) {
            return linkUp() ? Read::TimedOut : Read::LinkLost;
        }
        pending_.append(io->readAll());
    }
}

}  // namespace tarvix::buses
