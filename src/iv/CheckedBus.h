// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "bus/GpibBus.h"
#include "iv/AcquisitionEnded.h"

namespace tarvix::iv {

// The I-V paths' road to the bus: every send and every reading is checked, and a failed one
// throws AcquisitionEnded naming the address and the command. A fault met where nothing may
// throw (a bar move handled inside the event loop) is kept and thrown at the next check.
class CheckedBus {
  public:
    explicit CheckedBus(bus::GpibBus& gpib) : gpib_(gpib) {}

    bus::GpibBus& gpib() { return gpib_; }
    void setTimeout(int timeout) { gpib_.setTimeout(timeout); }
    void send(int address, const QString& command);
    // Sends `query` and reads the reply (at most 70 characters); the first `cut` characters
    // only when cut > 0. The reply must be one number.
    double query(int address, const QString& query, int cut = 0);
    // Reads the reply to the query sent last: one number (of the first `cut` characters when
    // cut > 0), or the text as it came.
    double read(int address, int cut = 0);
    QByteArray readText(int address);

    // The reading in a reply: none for a blank reply or one that is not exactly one number.
    static std::optional<double> number(const QByteArray& reply);
    static QString notANumber(int address, const QString& query, const QByteArray& reply);

    void defer(const AcquisitionEnded& fault);
    void throwDeferred();
    void clearDeferred() { deferred_.reset(); }

  private:
    bus::GpibBus& gpib_;
    QByteArray buffer_;
    QString lastQuery_;
    std::optional<AcquisitionEnded> deferred_;
};

}  // namespace tarvix::iv
