// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

namespace tarvix::series {

// Outcome of recording into the time table; anything but Recorded means a reading or a run
// found no room and was left out.
enum class TimeRecordStatus { Recorded, NoRunLeft, RunFull };

// The readings of the time-dependence runs: ten runs of up to 400 readings. Column c (1..10)
// holds run c's currents, column c + 10 the elapsed time of each reading in ms; -1.0 marks
// an unused cell. Recording never writes outside the table.
class TimeTable {
  public:
    static constexpr int kRows = 400;
    static constexpr int kRuns = 10;
    static constexpr int kColumns = 2 * kRuns;
    static constexpr double kUnused = -1.0;

    TimeTable() { reset(); }
    // Every cell unused, no run yet.
    void reset();

    // Number of the last run started (timeColumn), 0 before the first.
    int timeColumn() const { return timeColumn_; }
    // Readings recorded in the last run.
    int rowsRecorded() const { return rows_; }
    // Row 1..400, column 1..20.
    double cell(int row, int column) const;
    double current(int row, int run) const { return cell(row, run); }
    double elapsedMs(int row, int run) const { return cell(row, run + kRuns); }

    // Takes the next run column. When all ten are taken, nothing is recorded until reset.
    TimeRecordStatus startRun();
    // Stores a reading in the next row of the current run.
    TimeRecordStatus record(double current, double elapsedMs);

  private:
    double& at(int row, int column);

    std::array<double, kRows * kColumns> cells_;
    int timeColumn_ = 0;
    int rows_ = 0;
    bool recording_ = false;
};

// The operator's message for a status other than Recorded (empty for Recorded).
QString timeRecordMessage(TimeRecordStatus status);

}  // namespace tarvix::series
