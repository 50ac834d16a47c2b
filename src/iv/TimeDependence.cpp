// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/TimeDependence.h"

#include <QElapsedTimer>

#include "iv/AddressScan.h"

namespace tarvix::iv {

void recordTimeDependence(CheckedBus& link, series::TimeTable& table, TimeDependenceResult& result,
                          int level, int durationMs) {
    series::TimeRecordStatus status = table.startRun();
    link.send(kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV %1").arg(level));
    QElapsedTimer clock;
    clock.start();
    long long elapsed = 0;
    do {
        const double reading = link.query(kScpiAddress, QStringLiteral(":READ?"));
        // Seconds and milliseconds of the elapsed time; whole minutes are dropped.
        elapsed = clock.elapsed() % 60000;
        if (status == series::TimeRecordStatus::Recorded) {
            status = table.record(reading, static_cast<double>(elapsed));
            result.rows += status == series::TimeRecordStatus::Recorded ? 1 : 0;
        }
    } while (durationMs >= elapsed && status == series::TimeRecordStatus::Recorded);
    result.message = series::timeRecordMessage(status);
}

}  // namespace tarvix::iv
