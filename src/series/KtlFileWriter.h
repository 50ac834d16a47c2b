// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

namespace tarvix::series {

class SeriesStore;

// The three lines that open a series file.
struct KtlHeader {
    QString comment;  // the operator's comment
    QString date;     // the system's short date
    QString time;     // the system's long time
};

// The header of a file saved at `now`.
KtlHeader ktlHeaderAt(const QString& comment, const QDateTime& now);

// Writes every stored series 1..seriesCount with its eight blocks (counts from the current
// table) in Windows-1251 with CR LF line ends. The file is replaced only when complete; on
// failure an existing file is left as it was. Returns 0 or the runtime's file-error code.
// `parts`: how many threads format and write the blocks; 0 lets the number of points decide.
int writeKtlFile(const QString& path, const SeriesStore& store, const KtlHeader& header,
                 int parts = 0);

// "Save all series" after the dialog: writes the file and, when that succeeded, takes the
// copies of the stored tables that the export corrections start from.
int saveKtlFile(const QString& path, SeriesStore& store, const KtlHeader& header);

}  // namespace tarvix::series
