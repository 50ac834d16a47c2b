// SPDX-License-Identifier: GPL-3.0-or-later
#include "TidyConvert.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

#include "FrqFileText.h"
#include "TempFileText.h"
#include "lcr/FreqSweep.h"
#include "lcr/TidySweepCsv.h"
#include "series/ExportCorrections.h"
#include "series/KtlFileReader.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "series/TidySeriesCsv.h"
#include "text/CsvWriter.h"
#include "text/FileError.h"
#include "thermo/ThermoRecord.h"
#include "thermo/TidyRecordCsv.h"

namespace tarvix::convert {

namespace {

// Writes the table to a path and returns the runtime's file-error code; or, without a table,
// sets `reason`.
using TableWriter = std::function<int(const QString& path)>;

struct Prepared {
    TableWriter write;
    QString reason;
    // Set when the table holds only part of the file (the store's limits); the table is
    // written all the same, and the run fails with this text.
    QString incomplete;
};

Prepared refused(const QString& reason) {
    return {TableWriter(), reason, QString()};
}

Prepared ready(TableWriter write, const QString& incomplete = QString()) {
    return {std::move(write), QString(), incomplete};
}

text::CsvHeading headingFor(const QString& input, const QString& date, const QString& comment) {
    text::CsvHeading heading;
    heading.source = input;
    heading.date = date;
    heading.comment = comment;
    heading.written = QDateTime::currentDateTime();
    return heading;
}

Prepared prepareSeries(const QString& input) {
    auto store = std::make_shared<series::SeriesStore>();
    series::clearStoreForOpen(*store);
    const series::KtlReadResult read = series::readKtlFile(input, *store, series::KtlLabels::Take);
    if (read.error != text::kFileOk) {
        return refused(text::fileErrorText(read.error));
    }
    if (!read.notSeriesReason.isEmpty()) {
        return refused(read.notSeriesReason);
    }
    const text::CsvHeading heading = headingFor(input, read.date, read.comment);
    return ready(
        [store, heading](const QString& path) {
            return series::writeTidySeriesCsv(path, *store, series::ExportOptions{}, heading);
        },
        QString(read.limitMessage).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

Prepared prepareRecord(const QString& input, const QByteArray& bytes) {
    auto record = std::make_shared<thermo::ThermoRecord>();
    const TempFileRead read = readTempFile(bytes, *record);
    if (!read.error.isEmpty()) {
        return refused(read.error);
    }
    const text::CsvHeading heading = headingFor(input, read.savedAt, read.description);
    return ready([record, heading, kind = read.kind](const QString& path) {
        return thermo::writeTidyRecordCsv(path, kind, *record, heading);
    });
}

Prepared prepareSweep(const QString& input, const QByteArray& bytes) {
    auto sweep = std::make_shared<lcr::FreqSweep>();
    if (const QString reason = readFrqFile(bytes, *sweep); !reason.isEmpty()) {
        return refused(reason);
    }
    text::CsvHeading heading = headingFor(input, QString(), QString());
    // The log keeps neither the sweep's settings nor which readings belong to one point.
    heading.notes << QStringLiteral(
        "from a .frq log: one row per reading; its readings per point, averaging, delay and "
        "bias are not in the log, the settings below are the defaults");
    return ready([sweep, heading](const QString& path) {
        return lcr::writeTidySweepCsv(path, *sweep, heading);
    });
}

Prepared prepare(const QString& input) {
    const QString suffix = QFileInfo(input).suffix().toLower();
    if (suffix == QLatin1String("ktl")) {
        return prepareSeries(input);
    }
    if (suffix != QLatin1String("temp") && suffix != QLatin1String("frq")) {
        return refused(QStringLiteral("not a .ktl, .temp or .frq file"));
    }
    QFile file(input);
    if (!file.open(QIODevice::ReadOnly)) {
        return refused(file.errorString());
    }
    const QByteArray bytes = file.readAll();
    return suffix == QLatin1String("temp") ? prepareRecord(input, bytes)
                                           : prepareSweep(input, bytes);
}

// The writers replace a named file only when complete; standard output gets the finished
// table copied from a private folder. Returns the message of a failure or an empty text.
QString writeTo(const QString& output, const TableWriter& write) {
    if (output != QLatin1String("-")) {
        const int error = write(output);
        return error == text::kFileOk ? QString() : text::fileErrorText(error);
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("table.csv"));
    if (const int error = folder.isValid() ? write(path) : text::kFileAccessDenied;
        error != text::kFileOk) {
        return text::fileErrorText(error);
    }
    QFile table(path);
    QFile out;
    if (!table.open(QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly)) {
        return QStringLiteral("cannot write to standard output");
    }
    const QByteArray bytes = table.readAll();
    if (out.write(bytes) != bytes.size() || !out.flush()) {
        return QStringLiteral("standard output closed before the table was written");
    }
    return {};
}

}  // namespace

QString convertToTidyCsv(const QString& input, const QString& output) {
    const Prepared prepared = prepare(input);
    if (!prepared.write) {
        return QStringLiteral("%1: %2").arg(input, prepared.reason);
    }
    if (const QString failure = writeTo(output, prepared.write); !failure.isEmpty()) {
        return QStringLiteral("%1: %2").arg(output == QLatin1String("-") ? input : output, failure);
    }
    if (!prepared.incomplete.isEmpty()) {
        return QStringLiteral("%1: %2").arg(input, prepared.incomplete);
    }
    return {};
}

}  // namespace tarvix::convert
