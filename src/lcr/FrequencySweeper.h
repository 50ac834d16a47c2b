#pragma once

#include <QByteArray>

#include "bus/GpibBus.h"
#include "lcr/FreqSweep.h"
#include "lcr/LcrHost.h"
#include "lcr/SweepSettings.h"

namespace tarvix::lcr {

class FrqFile;

struct SweepReport {
    enum class Outcome {
        Completed,   // every point measured and the .frq file written
        Refused,     // the settings cannot make a grid; nothing was sent
        FileFailed,  // the .frq file could not be created or written; the sweep stopped
        Busy,        // a sweep was already running; this one did nothing
    };
    Outcome outcome = Outcome::Completed;
    int readings = 0;
    // Stop ended the sweep early; the points measured before it are kept and written.
    bool stopped = false;
    // Readings without a number where the primary (or the secondary) stands; they add nothing.
    int unreadableReadings = 0;
};

// One frequency sweep of the LCR meter: configures it, measures the grid point by point into
// the FreqSweep and logs every reading to the .frq file. Drawing is the caller's.
class FrequencySweeper {
  public:
    FrequencySweeper(bus::GpibBus& bus, LcrHost& host, FreqSweep& sweep);

    SweepReport run(const SweepSettings& settings);

  private:
    void takeSettings(const SweepSettings& settings);
    void configureMeter(const SweepSettings& settings);
    // False when the file could not be written.
    bool measurePoint(int i, const SweepSettings& settings, FrqFile& file, SweepReport& report);
    QByteArray readReply();
    void stopOnFileError(int code, SweepReport& report);
    bool stopAfter(int i, SweepReport& report);

    bus::GpibBus& bus_;
    LcrHost& host_;
    FreqSweep& sweep_;
    QByteArray gpibReply_;
};

// The message about readings that held no value, or empty when there were none.
QString unreadableReadingsMessage(const SweepReport& report);

}  // namespace tarvix::lcr
