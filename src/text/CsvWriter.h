// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "text/SafeFileWriter.h"

namespace tarvix::text {

// What the "#" lines at the top of a tidy table say about where its numbers came from.
struct CsvHeading {
    QString source;     // the data file the table was read from or saved to; may be empty
    QString date;       // the measurement's date as the program shows it; may be empty
    QString comment;    // the operator's comment
    QDateTime written;  // when the table was written
    QStringList notes;  // further "key: value" lines (settings, corrections)
};

// A comma-separated table for plotting and data tools: UTF-8, LF line ends, "#" comment lines
// first, then one heading row and the data rows. Texts with a comma, a quote or a line break
// are quoted as usual for CSV; numbers are written in the shortest text that reads back to the
// same value, and a missing value (NaN) as an empty cell. An existing file is replaced only
// when the new one is complete.
class CsvWriter {
  public:
    explicit CsvWriter(const QString& path);

    // 0 or the runtime's file-error code.
    int open();
    void heading(const CsvHeading& heading);
    void columns(const QStringList& names);
    void row(const QList<QByteArray>& cells);
    int commit();

    static QByteArray cell(const QString& text);
    static QByteArray cell(double value);
    static QByteArray cell(float value);
    static QByteArray cell(int value);

  private:
    void comment(const QString& key, const QString& value);

    SafeFileWriter writer_;
};

}  // namespace tarvix::text
