// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/TimeFile.h"

#include "series/KtlFileChunks.h"
#include "series/TimeTable.h"
#include "text/SafeFileWriter.h"

namespace tarvix::series {

int writeTimeFile(const QString& path, const TimeTable& table) {
    text::SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    KtlChunkWriter out(writer);
    for (int run = 1; run <= TimeTable::kRuns; ++run) {
        for (int row = 1; row <= TimeTable::kRows; ++row) {
            // Only the marker means unused: a reading at 0 ms is written.
            if (table.elapsedMs(row, run) != TimeTable::kUnused) {
                out.pointLine(table.elapsedMs(row, run), "  ", table.current(row, run));
            }
        }
        out.lineEnd();
    }
    out.flush();
    return writer.commit();
}

}  // namespace tarvix::series
