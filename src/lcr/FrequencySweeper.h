// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <optional>

#include "bus/GpibBus.h"
#include "bus/ReadingFaults.h"
#include "lcr/FreqSweep.h"
#include "lcr/LcrHost.h"
#include "lcr/SweepObserver.h"
#include "lcr/SweepSettings.h"

namespace tarvix::lcr {

class FrqFile;

struct SweepReport {
    enum class Outcome {
        Completed,    // every point measured and the .frq file written
        Refused,      // the settings cannot make a grid; nothing was sent
        FileFailed,   // the .frq file could not be created or written; the sweep stopped
        Busy,         // a sweep was already running; this one did nothing
        SetupFailed,  // the meter refused a set-up command; no point was measured
        Ended,        // the meter stopped answering, or the window closed: the points so far
                      // are kept and the sweep counts only them
    };
    Outcome outcome = Outcome::Completed;
    int readings = 0;
    // Stop ended the sweep early; the points measured before it are kept and written.
    bool stopped = false;
    // Readings stored as missing: a failed exchange, or no number where the primary (or the
    // secondary) stands.
    int unreadableReadings = 0;
    // The meter took the set-up's bias command: its bias is now the sweep's mode.
    bool biasTaken = false;
};

// One frequency sweep of the LCR meter: configures it, measures the grid point by point into
// the FreqSweep and logs every reading to the .frq file. Drawing is the caller's.
//
// A reading that fails makes its point missing (NaN) and the sweep goes on; three failed
// readings in a row end it. The count is told in one message at the end. A sweep that switched
// the meter's internal bias on switches it off however it ends, and says so when it cannot.
class FrequencySweeper {
  public:
    // `observer` (may be null) is told of the sweep's start, each point and its file.
    FrequencySweeper(bus::GpibBus& bus, LcrHost& host, FreqSweep& sweep,
                     SweepObserver* observer = nullptr);

    SweepReport run(const SweepSettings& settings);

  private:
    void measure(const SweepSettings& settings, SweepReport& report);
    void reportEnd(const SweepReport& report);
    void takeSettings(const SweepSettings& settings);
    // False when a command failed; nothing is sent after it.
    bool configureMeter(const SweepSettings& settings, SweepReport& report);
    // False when the file could not be written.
    bool measurePoint(int i, const SweepSettings& settings, FrqFile& file, SweepReport& report);
    // One FETC? reading; nothing when its exchanges failed.
    std::optional<QByteArray> takeReading(const std::string& frequencyCommand,
                                          const SweepSettings& settings);
    bool sendChecked(const std::string& command);
    QByteArray readReply(const char* query);
    void endEarly(int lastPoint, SweepReport& report);
    void stopOnFileError(int code, int point, SweepReport& report);
    bool stopAfter(int i, SweepReport& report);

    bus::GpibBus& bus_;
    LcrHost& host_;
    FreqSweep& sweep_;
    SweepObserver* observer_;
    QByteArray gpibReply_;
    std::optional<bus::ExchangeFault> fault_;  // the first failed exchange of a reading
    bus::ReadingFaults faults_{QStringLiteral("readings")};
};

}  // namespace tarvix::lcr
