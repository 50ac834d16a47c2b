// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::series {

class SeriesStore;
struct ExportOptions;

// The export file's name: the series file's path without its ".ktl", the suffix of every
// checked option ("-Zero-", "1K", "10K", "1M", "100K", "+ABS", in that order) and ".ktl_o";
// run5.ktl with drift, 10K and ABS gives run5-Zero-10K+ABS.ktl_o. Empty when no series file
// was opened or saved yet: there is then no name to derive, and the caller must not write.
QString originExportPath(const QString& currentFilePath, const ExportOptions& options);

// Writes every non-empty segment of series 1..seriesCount as one column pair (voltage,
// current) of a tab-separated table under three header rows ("X"/"Y", "Volt"/"Amper", the
// date and the segment's label), the numbers in the default real form, lines ending CR LF.
// Returns 0 or the runtime's file-error code; an existing file is replaced only when the new
// one is complete.
int writeOriginExport(const QString& path, const SeriesStore& store, const QString& seriesDate);

}  // namespace tarvix::series
