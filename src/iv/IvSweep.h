// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <QStringList>

#include "iv/AcquisitionEnded.h"
#include "iv/CheckedBus.h"
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
    IvSweep(CheckedBus& link, series::SeriesStore& store, SegmentState& segment, IvHost& host);

    // Set-up, output on, holds, repetitions (each committed as a series), time dependence,
    // output off. `plan` must be valid with a non-zero step count. A failed exchange throws
    // AcquisitionEnded after the output was switched off and the repetition measured so far
    // was committed; a failed output-off is added to `problems`.
    void runVoltageSweep(const SweepPlan& plan, const SweepOptions& options, QStringList& problems);

    // The parts the manual regime shares.
    void setUpPicoammeter(const SweepOptions& options);
    void holdLoop(double level);
    void lcrUnderBias(double level);
    void runSegment(int segment, double start, double end, int stepCount,
                    const SweepOptions& options);
    double readPicoammeter();

    // The fault of a live table that has no room for another point of `segment`.
    static AcquisitionEnded tableFull(int segment);

    // Peak voltage and first level over the enabled segments (peak -1000 with none enabled).
    static void peakAndFirstLevel(const SweepPlan& plan, const IvHost& host, double& peak,
                                  double& firstLevel);

  private:
    void setUpSourceMeter(const SweepOptions& options);
    void outputOn(const SweepOptions& options);
    void runRepetitions(const SweepPlan& plan, const SweepOptions& options);
    void commitRepetition();
    void measurePoint(int segment, bool firstPoint, const SweepOptions& options);
    void programLevel(double level, const SweepOptions& options);
    double measureVoltage(double level, bool firstPoint, const SweepOptions& options);
    double measureCurrent(bool firstPoint, bool atSegmentEnd, const SweepOptions& options);
    void storePoint(int segment, double voltage, double current);

    CheckedBus& link_;
    series::SeriesStore& store_;
    SegmentState& segment_;
    IvHost& host_;
    SweepProgress progress_;
};

// Elapsed time of a segment as the label counts it: minutes, seconds and milliseconds of the
// difference, whole hours dropped.
long long segmentElapsedMs(double startDays, double endDays);

}  // namespace tarvix::iv
