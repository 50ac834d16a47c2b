// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AnalysisFiles.h"

#include <QDate>
#include <QTime>
#include <algorithm>
#include <cmath>

#include "text/ClockText.h"
#include "text/NumberText.h"
#include "text/SafeFileWriter.h"

namespace tarvix::analysis {

namespace {

const QString kBlankLine = QStringLiteral("   ");
const QString kPointsHeader = QStringLiteral("Точек");
const QString kSeriesWord = QStringLiteral("Series ");
const QString kMeasuredColumns = QStringLiteral("Volt   Ampere  ");

QString pointLine(double x, double y) {
    return text::defaultReal(x) + kBlankLine + text::defaultReal(y);
}

QString seriesTag(int segment, int series) {
    return kSeriesWord + QString::number(segment) + QChar('-') + QString::number(series);
}

void writeHeader(text::SafeFileWriter& writer, const FileHeader& header) {
    writer.writeLine(header.comment);
    writer.writeLine(header.date);
    writer.writeLine(header.time);
}

int storedPointCount(const series::SeriesStore& store, int segment, int series) {
    return std::clamp(store.storedCount(segment, series), 0, series::SeriesStore::kMaxPoints);
}

int writeAllPoints(const QString& path, const series::SeriesStore& store, bool absoluteCurrent) {
    text::SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    const int lastSeries = std::min(store.seriesCount, series::SeriesStore::kMaxSeries);
    for (int series = 1; series <= lastSeries; ++series) {
        for (int segment = 1; segment <= series::SeriesStore::kSegments; ++segment) {
            const float* voltage = store.storedVoltage(segment, series);
            const float* current = store.storedCurrent(segment, series);
            const int count = storedPointCount(store, segment, series);
            for (int p = 1; p <= count; ++p) {
                const float i = absoluteCurrent ? std::abs(current[p]) : current[p];
                writer.writeRawLine(pointLine(voltage[p], i).toLatin1());
            }
        }
    }
    return writer.commit();
}

}  // namespace

FileHeader fileHeaderNow(const QString& comment) {
    return {comment, text::shortDateText(QDate::currentDate()),
            text::longTimeText(QTime::currentTime())};
}

QString logFilePath(const QString& path) {
    return path + QStringLiteral("_log");
}

int writeStraightenedFile(const QString& path, const FileHeader& header,
                          const StraightenedCurve& curve) {
    text::SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    const std::size_t count = std::min(curve.x.size(), curve.y.size());
    writeHeader(writer, header);
    writer.writeLine(fileHeading(curve.mechanism) + curve.resultLabelText);
    writer.writeLine(kBlankLine);
    writer.writeLine(columnHeader(curve.mechanism) + seriesTag(curve.segment, curve.series));
    writer.writeLine(kPointsHeader);
    writer.writeLine(QString::number(count));
    writer.writeLine(kBlankLine);
    for (std::size_t k = 0; k < count; ++k) {
        writer.writeLine(pointLine(curve.x[k], curve.y[k]));
    }
    return writer.commit();
}

int writeMeasuredSegmentFile(const QString& path, const FileHeader& header,
                             const series::SeriesStore& store, int segment, int series) {
    text::SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    const float* voltage = store.storedVoltage(segment, series);
    const float* current = store.storedCurrent(segment, series);
    writeHeader(writer, header);
    writer.writeLine(kBlankLine);
    writer.writeLine(kMeasuredColumns + seriesTag(segment, series));
    writer.writeLine(kPointsHeader);
    writer.writeLine(text::defaultReal(current[0]));
    writer.writeLine(kBlankLine);
    const int count = storedPointCount(store, segment, series);
    for (int p = 1; p <= count; ++p) {
        writer.writeLine(pointLine(voltage[p], current[p]));
    }
    return writer.commit();
}

int writeAllSeriesFiles(const QString& path, const series::SeriesStore& store) {
    if (const int error = writeAllPoints(path, store, false); error != 0) {
        return error;
    }
    return writeAllPoints(logFilePath(path), store, true);
}

}  // namespace tarvix::analysis
