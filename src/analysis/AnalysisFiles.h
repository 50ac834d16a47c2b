// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <span>

#include "analysis/Mechanism.h"
#include "series/SeriesStore.h"

// The analysis' text files: a straightened curve, one segment as measured, and the two
// two-column files of every stored series. Windows-1251, CR LF, through the safe writer; each
// function returns 0 or the runtime's file-error code.
namespace tarvix::analysis {

// The first three lines of the curve files: the comment field (Edit44), the date and the time.
struct FileHeader {
    QString comment;
    QString date;
    QString time;
};
FileHeader fileHeaderNow(const QString& comment);

// The second file of the all-series export: the chosen name followed by "_log".
QString logFilePath(const QString& path);

struct StraightenedCurve {
    Mechanism mechanism = Mechanism::Ohm;
    QString resultLabelText;  // quoted after the heading, as the label shows it now
    int segment = 0;
    int series = 0;
    std::span<const double> x;
    std::span<const double> y;
};
int writeStraightenedFile(const QString& path, const FileHeader& header,
                          const StraightenedCurve& curve);

// Segment and series must name a slot of the store.
int writeMeasuredSegmentFile(const QString& path, const FileHeader& header,
                             const series::SeriesStore& store, int segment, int series);

// Voltage and current of every stored point, series 1..seriesCount, into path; the same with
// the absolute current into logFilePath(path). Stops at the first file that fails.
int writeAllSeriesFiles(const QString& path, const series::SeriesStore& store);

}  // namespace tarvix::analysis
