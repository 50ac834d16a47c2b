// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/TidySeriesCsv.h"

#include <algorithm>
#include <cmath>

#include "series/ExportCorrections.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "series/SeriesTemperatures.h"
#include "text/CsvWriter.h"

namespace tarvix::series {

namespace {

using text::CsvWriter;

bool correctsVoltage(const ExportOptions& corrections) {
    return corrections.resistor != SeriesResistor::None;
}

bool correctsCurrent(const ExportOptions& corrections) {
    return corrections.drift || corrections.denoise || corrections.absoluteCurrent;
}

// One segment's rows. Without corrections the tables are the measured values (their copies
// may be older than a series measured since).
void writeSegment(CsvWriter& out, const SeriesStore& store, const ExportOptions& corrections,
                  int segment, int series, bool temperatureColumn) {
    const bool voltageColumn = correctsVoltage(corrections);
    const bool currentColumn = correctsCurrent(corrections);
    const bool fromCopies = voltageColumn || currentColumn;
    const float* voltage = fromCopies ? store.storedVoltageCopy(segment, series)
                                      : store.storedVoltage(segment, series);
    const float* current = fromCopies ? store.storedCurrentCopy(segment, series)
                                      : store.storedCurrent(segment, series);
    const QByteArray seriesCell = CsvWriter::cell(series);
    const QByteArray segmentCell = CsvWriter::cell(segment);
    const QByteArray label = CsvWriter::cell(store.segmentLabel(segment, series));
    const int count = storedPointCount(store, segment, series);
    const auto temperatures = seriesTemperatures(store, series);
    const QByteArray temperature =
        CsvWriter::cell(temperatures ? temperatures->meanK() : std::nan(""));
    for (int point = 1; point <= count; ++point) {
        QList<QByteArray> cells{seriesCell,
                                segmentCell,
                                CsvWriter::cell(point),
                                CsvWriter::cell(voltage[point]),
                                CsvWriter::cell(current[point]),
                                label};
        if (voltageColumn) {
            cells << CsvWriter::cell(store.storedVoltage(segment, series)[point]);
        }
        if (currentColumn) {
            cells << CsvWriter::cell(store.storedCurrent(segment, series)[point]);
        }
        cells << CsvWriter::cell(store.atCompliance(series, segment, point) ? 1 : 0);
        if (temperatureColumn) {
            cells << temperature;
        }
        out.row(cells);
    }
}

QStringList tidySeriesColumns(const ExportOptions& corrections, bool temperatureColumn) {
    QStringList names{QStringLiteral("series"),    QStringLiteral("segment"),
                      QStringLiteral("point"),     QStringLiteral("voltage_V"),
                      QStringLiteral("current_A"), QStringLiteral("label")};
    if (correctsVoltage(corrections)) {
        names << QStringLiteral("voltage_corrected_V");
    }
    if (correctsCurrent(corrections)) {
        names << QStringLiteral("current_corrected_A");
    }
    names << QStringLiteral("compliance");
    if (temperatureColumn) {
        names << QStringLiteral("temperature_K");
    }
    return names;
}

QString tidyCorrectionsNote(const ExportOptions& corrections) {
    QStringList steps;
    if (corrections.drift) {
        steps << QStringLiteral("instrument drift current added");
    }
    if (corrections.denoise) {
        steps << QStringLiteral("currents below 1e-11 A lifted to it");
    }
    if (correctsVoltage(corrections)) {
        steps << QStringLiteral("drop across a %1 Ohm series resistor subtracted")
                     .arg(seriesResistance(corrections.resistor));
    }
    if (corrections.absoluteCurrent) {
        steps << QStringLiteral("absolute current");
    }
    return steps.isEmpty() ? QString() : QStringLiteral("corrections: ") + steps.join(u"; ");
}

}  // namespace

int writeTidySeriesCsv(const QString& path, const SeriesStore& store,
                       const ExportOptions& corrections, const text::CsvHeading& heading) {
    CsvWriter out(path);
    if (const int error = out.open(); error != 0) {
        return error;
    }
    text::CsvHeading withNote = heading;
    if (const QString note = tidyCorrectionsNote(corrections); !note.isEmpty()) {
        withNote.notes << note;
    }
    out.heading(withNote);
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    // Tables of series measured at no known temperature keep the columns they always had.
    bool temperatureColumn = false;
    for (int series = 1; series <= lastSeries && !temperatureColumn; ++series) {
        temperatureColumn = seriesTemperatures(store, series).has_value();
    }
    out.columns(tidySeriesColumns(corrections, temperatureColumn));
    for (int series = 1; series <= lastSeries; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            if (store.storedCurrent(segment, series)[0] != 0) {
                writeSegment(out, store, corrections, segment, series, temperatureColumn);
            }
        }
    }
    return out.commit();
}

}  // namespace tarvix::series
