#pragma once

#include <QByteArray>
#include <QString>

#include "bus/GpibBus.h"
#include "iv/IvHost.h"
#include "iv/SegmentState.h"
#include "iv/SweepPlan.h"
#include "iv/SweepProgress.h"
#include "series/SeriesStore.h"

namespace tarvix::iv {

// The options of the window that a sweep reads at its start.
struct SweepOptions {
    int address = 24;  // 24: SCPI, 26: TSP lines
    double range = 0;
    double compliance = 0;
    double firstLevel = 0;
    bool realVoltage = false;     // "Real voltage mesurments"
    bool picoammeter = false;     // current from the picoammeter at 14
    QString picoammeterNplc;      // the integration-time command, e.g. "CURR:NPLC 2"
    bool timeDependence = false;  // "Time"
    bool holdAround = false;      // "Start VAX"
    bool lcrUnderBias = false;    // "7600"
};

// The instrument side of the voltage sweep, the segment sweep shared with the manual regime,
// the picoammeter and the hold loops.
class IvSweep {
  public:
    IvSweep(bus::GpibBus& gpib, series::SeriesStore& store, SegmentState& segment, IvHost& host);

    // Set-up, output on, holds, repetitions (each committed as a series), time dependence,
    // output off. `plan` must be valid with a non-zero step count.
    void runVoltageSweep(const SweepPlan& plan, const SweepOptions& options);

    // The parts the manual regime shares.
    void setUpPicoammeter(const SweepOptions& options);
    void holdLoop(double level);
    void lcrUnderBias(double level);
    void runSegment(int segment, double start, double end, int stepCount,
                    const SweepOptions& options);
    double readPicoammeter();

    // The store had no free slot for a repetition: the sweep ended early.
    bool storeFull() const { return storeFull_; }

    // Peak voltage and first level over the enabled segments (peak -1000 with none enabled).
    static void peakAndFirstLevel(const SweepPlan& plan, const IvHost& host, double& peak,
                                  double& firstLevel);

  private:
    void setUpSourceMeter(const SweepOptions& options);
    void outputOn(const SweepOptions& options);
    void outputOff(const SweepOptions& options);
    void programLevel(double level, const SweepOptions& options);
    double measureVoltage(double level, bool firstPoint, const SweepOptions& options);
    double measureCurrent(bool firstPoint, bool atSegmentEnd, const SweepOptions& options);
    void storePoint(int segment, double voltage, double current);
    double readReply(int address);
    void send(int address, const QString& command);

    bus::GpibBus& gpib_;
    series::SeriesStore& store_;
    SegmentState& segment_;
    IvHost& host_;
    QByteArray reply_;
    bool storeFull_ = false;
    SweepProgress progress_;
};

// Elapsed time of a segment as the label counts it: minutes, seconds and milliseconds of the
// difference, whole hours dropped.
long long segmentElapsedMs(double startDays, double endDays);

}  // namespace tarvix::iv
