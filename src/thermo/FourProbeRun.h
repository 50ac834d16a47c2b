// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <optional>

#include "bus/BusOwner.h"
#include "bus/ReadingFaults.h"
#include "thermo/ThermoBusLink.h"
#include "thermo/ThermoHost.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

// The four-probe acquisition: Start configures the instruments and starts the sampling
// clock; every tick takes one sample (resistance, thermocouple temperature, time of day)
// until Stop is seen, the record is full or the instruments stop answering.
//
// The run holds the bus from Start to its end; the lease's end sends the closing commands
// (":OUTP OFF", ":rout:open:all"), so they go out on every way out, the run's destruction
// included. A reading that fails is stored as missing (NaN); three failed samples in a row end
// the run, and the count of missing samples is told once, at the end.
class FourProbeRun {
  public:
    FourProbeRun(ThermoBusLink& link, ThermoRecord& record, ThermoHost& host);

    void start();       // Start (Button27)
    void takeSample();  // one tick of Timer1
    // Ends the run now, between samples (window close); a sample in progress ends it itself.
    void end();

    bool running() const { return running_; }
    double sourceCurrent() const { return sourceCurrent_; }
    double sourceRange() const { return sourceRange_; }
    const QByteArray& channelCommand() const { return channelCommand_; }

  private:
    bool configure();
    bool configureLcrMeter();
    bool configureSourceUnit(const QByteArray& compliance);
    bool configureMultimeter();
    void failStart();
    double measureResistance();
    double measureTemperature();
    void storeSample(int sample);
    void showSample(int sample);
    void sendClosingCommands();
    void finish();
    status::Progress endProgress() const;

    ThermoBusLink& link_;
    ThermoRecord& record_;
    ThermoHost& host_;
    std::optional<bus::BusLease> lease_;
    bus::ReadingFaults faults_{QStringLiteral("samples")};

    bool running_ = false;
    bool sampling_ = false;  // a tick is in progress (it lets events run, so may be re-entered)
    bool outputOn_ = false;  // ":OUTP ON" went out: the source may be driving the sample
    bool outputOffFailed_ = false;
    // Fixed at Start for the whole run: the meter configured then is the one read.
    bool useLcrMeter_ = false;
    bool verySlow_ = false;
    QByteArray channelCommand_;
    double sourceCurrent_ = 0;
    double sourceRange_ = 0;
};

}  // namespace tarvix::thermo
