// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/TidyRecordCsv.h"

#include <algorithm>

#include "text/ClockText.h"
#include "text/CsvWriter.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

namespace {

using text::CsvWriter;

constexpr double kSecondsPerDay = 86400;

QStringList columnNames(TempFileKind kind) {
    if (kind == TempFileKind::FourProbe) {
        return {QStringLiteral("time"), QStringLiteral("temperature_C"),
                QStringLiteral("resistance_Ohm"), QStringLiteral("elapsed_s")};
    }
    return {QStringLiteral("time"), QStringLiteral("thermocouple_V"), QStringLiteral("reference_K"),
            QStringLiteral("thermocouple_K"), QStringLiteral("elapsed_s")};
}

// Times of day only: a sample earlier than the one before it was taken after midnight.
class ElapsedClock {
  public:
    double secondsAt(double dayFraction) {
        if (first_ < 0) {
            first_ = dayFraction;
        } else if (dayFraction < previous_) {
            days_ += 1;
        }
        previous_ = dayFraction;
        return (days_ + dayFraction - first_) * kSecondsPerDay;
    }

  private:
    double first_ = -1;
    double previous_ = 0;
    double days_ = 0;
};

}  // namespace

int writeTidyRecordCsv(const QString& path, TempFileKind kind, const ThermoRecord& record,
                       const text::CsvHeading& heading) {
    CsvWriter out(path);
    if (const int error = out.open(); error != 0) {
        return error;
    }
    out.heading(heading);
    out.columns(columnNames(kind));
    ElapsedClock clock;
    const int count = std::min(record.thermoCount, ThermoRecord::kMaxSamples);
    for (int s = 1; s <= count; ++s) {
        const double day = record.thermoTime[s];
        QList<QByteArray> cells{
            text::timeFromDayFraction(day).toString(Qt::ISODateWithMs).toLatin1(),
            CsvWriter::cell(record.thermoTemp[s])};
        if (kind == TempFileKind::FourProbe) {
            cells << CsvWriter::cell(record.thermoResistance[s]);
        } else {
            cells << CsvWriter::cell(record.thermoRefTemp[s])
                  << CsvWriter::cell(record.thermoTcTemp[s]);
        }
        cells << CsvWriter::cell(clock.secondsAt(day));
        out.row(cells);
    }
    return out.commit();
}

}  // namespace tarvix::thermo
