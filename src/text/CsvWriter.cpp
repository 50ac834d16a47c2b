// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/CsvWriter.h"

#include <charconv>
#include <cmath>

#include "text/ProgramVersion.h"

namespace tarvix::text {

namespace {

template <typename Real>
QByteArray shortestText(Real value) {
    if (!std::isfinite(value)) {
        // pandas and gnuplot read an empty cell as missing; "inf" would be a text column.
        return {};
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QByteArray text(buffer, static_cast<qsizetype>(result.ptr - buffer));
    // A whole number keeps a decimal point, so that a column of measured values that happen
    // to be whole (a simulated resistor) still reads as a real-number column.
    if (!text.contains('.') && !text.contains('e')) {
        text += ".0";
    }
    return text;
}

// A comment's value stays on its own line whatever the operator typed.
QString oneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

}  // namespace

CsvWriter::CsvWriter(const QString& path) : writer_(path) {}

int CsvWriter::open() {
    return writer_.open();
}

void CsvWriter::comment(const QString& key, const QString& value) {
    writer_.writeRaw(QStringLiteral("# %1: %2\n").arg(key, oneLine(value)).toUtf8());
}

void CsvWriter::heading(const CsvHeading& heading) {
    comment(QStringLiteral("program"), QStringLiteral("Tarvix ") + programVersion());
    comment(QStringLiteral("source"), heading.source);
    comment(QStringLiteral("date"), heading.date);
    comment(QStringLiteral("comment"), heading.comment);
    comment(QStringLiteral("written"), heading.written.toString(Qt::ISODate));
    for (const QString& note : heading.notes) {
        writer_.writeRaw(QStringLiteral("# %1\n").arg(oneLine(note)).toUtf8());
    }
}

void CsvWriter::columns(const QStringList& names) {
    QList<QByteArray> cells;
    for (const QString& name : names) {
        cells << cell(name);
    }
    row(cells);
}

void CsvWriter::row(const QList<QByteArray>& cells) {
    QByteArray line = cells.join(',');
    line += '\n';
    writer_.writeRaw(line);
}

int CsvWriter::commit() {
    return writer_.commit();
}

QByteArray CsvWriter::cell(const QString& text) {
    QByteArray bytes = text.toUtf8();
    // An unquoted "#" would end the row early for readers that skip comments.
    const bool quote = bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
                       bytes.contains('\r') || bytes.contains('#');
    if (!quote) {
        return bytes;
    }
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

QByteArray CsvWriter::cell(double value) {
    return shortestText(value);
}

QByteArray CsvWriter::cell(float value) {
    return shortestText(value);
}

QByteArray CsvWriter::cell(int value) {
    return QByteArray::number(value);
}

}  // namespace tarvix::text
