#include "iv/TimeDependence.h"

#include <QElapsedTimer>

#include "iv/AddressScan.h"
#include "text/DecimalParse.h"

namespace tarvix::iv {

TimeDependenceResult recordTimeDependence(bus::GpibBus& gpib, series::TimeTable& table, int level,
                                          int durationMs) {
    TimeDependenceResult result;
    series::TimeRecordStatus status = table.startRun();
    gpib.send(kScpiAddress, QStringLiteral(":SOUR:VOLT:LEV %1").arg(level).toStdString());
    QElapsedTimer clock;
    clock.start();
    QByteArray buffer;
    long long elapsed = 0;
    do {
        gpib.send(kScpiAddress, ":READ?");
        gpib.enter(buffer, 70, kScpiAddress);
        const double reading =
            text::parseReply(bus::GpibBus::replyText(buffer).toStdString()).value_or(0.0);
        // Seconds and milliseconds of the elapsed time; whole minutes are dropped.
        elapsed = clock.elapsed() % 60000;
        if (status == series::TimeRecordStatus::Recorded) {
            status = table.record(reading, static_cast<double>(elapsed));
            result.rows += status == series::TimeRecordStatus::Recorded ? 1 : 0;
        }
    } while (durationMs >= elapsed && status == series::TimeRecordStatus::Recorded);
    result.message = series::timeRecordMessage(status);
    return result;
}

}  // namespace tarvix::iv
