#pragma once

#include <QByteArray>

#include "thermo/ThermoBusLink.h"
#include "thermo/ThermoHost.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

// The four-probe acquisition: Start configures the instruments and starts the sampling
// clock; every tick takes one sample (resistance, thermocouple temperature, time of day)
// until Stop is seen or the record is full.
class FourProbeRun {
  public:
    FourProbeRun(ThermoBusLink& link, ThermoRecord& record, ThermoHost& host);

    void start();       // Start (Button27)
    void takeSample();  // one tick of Timer1

    bool running() const { return running_; }
    double sourceCurrent() const { return sourceCurrent_; }
    double sourceRange() const { return sourceRange_; }
    const QByteArray& channelCommand() const { return channelCommand_; }

  private:
    void configureLcrMeter();
    void configureSourceUnit();
    void configureMultimeter();
    double measureResistance();
    double measureTemperature();
    void showSample(int sample);
    void finish();

    ThermoBusLink& link_;
    ThermoRecord& record_;
    ThermoHost& host_;

    bool running_ = false;
    bool sampling_ = false;  // a tick is in progress (it lets events run, so may be re-entered)
    // Fixed at Start for the whole run: the meter configured then is the one read.
    bool useLcrMeter_ = false;
    bool verySlow_ = false;
    QByteArray channelCommand_;
    double sourceCurrent_ = 0;
    double sourceRange_ = 0;
};

}  // namespace tarvix::thermo
