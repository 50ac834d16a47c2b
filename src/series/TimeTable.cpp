// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/TimeTable.h"

#include <cassert>

namespace tarvix::series {

void TimeTable::reset() {
    cells_.fill(kUnused);
    timeColumn_ = 0;
    rows_ = 0;
    recording_ = false;
}

double& TimeTable::at(int row, int column) {
    assert(row >= 1 && row <= kRows && column >= 1 && column <= kColumns);
    return cells_[static_cast<std::size_t>((row - 1) * kColumns + (column - 1))];
}

double TimeTable::cell(int row, int column) const {
    return const_cast<TimeTable*>(this)->at(row, column);
}

TimeRecordStatus TimeTable::startRun() {
    rows_ = 0;
    if (timeColumn_ >= kRuns) {
        recording_ = false;
        return TimeRecordStatus::NoRunLeft;
    }
    ++timeColumn_;
    recording_ = true;
    return TimeRecordStatus::Recorded;
}

TimeRecordStatus TimeTable::record(double current, double elapsedMs) {
    if (!recording_) {
        return TimeRecordStatus::NoRunLeft;
    }
    if (rows_ >= kRows) {
        return TimeRecordStatus::RunFull;
    }
    ++rows_;
    at(rows_, timeColumn_) = current;
    at(rows_, timeColumn_ + kRuns) = elapsedMs;
    return TimeRecordStatus::Recorded;
}

QString timeRecordMessage(TimeRecordStatus status) {
    switch (status) {
        case TimeRecordStatus::NoRunLeft:
            return QStringLiteral(
                       "All %1 time-dependence runs are recorded already; this run was not "
                       "recorded.")
                .arg(TimeTable::kRuns);
        case TimeRecordStatus::RunFull:
            return QStringLiteral(
                       "The time-dependence run reached %1 readings; later readings were not "
                       "recorded.")
                .arg(TimeTable::kRows);
        case TimeRecordStatus::Recorded:
            break;
    }
    return {};
}

}  // namespace tarvix::series
