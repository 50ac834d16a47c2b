#include "series/KtlFileWriter.h"

#include <QByteArray>
#include <algorithm>
#include <string_view>

#include "series/KtlFileChunks.h"
#include "series/KtlFileFormat.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "text/ClockText.h"
#include "text/SafeFileWriter.h"

namespace tarvix::series {

namespace {

// Labels and header texts are kept to one line each, or the file would not read back block
// for block.
void writeBlock(KtlChunkWriter& out, const SeriesStore& store, int segment, int series) {
    const int count = storedPointCount(store, segment, series);
    out.line(kKtlBlankLine);
    out.line(QByteArray(kKtlBlockTitle.data(), kKtlBlockTitle.size()) +
             QByteArray::number(segment) + '-' + QByteArray::number(series));
    out.line(oneLineCp1251(store.segmentLabel(segment, series)));
    out.line(kKtlPointsHeader);
    out.number(count);
    out.lineEnd();
    out.line(kKtlBlankLine);
    const float* voltage = store.storedVoltage(segment, series);
    const float* current = store.storedCurrent(segment, series);
    for (int p = 1; p <= count; ++p) {
        out.pointLine(voltage[p], kKtlBlankLine, current[p]);
    }
}

}  // namespace

KtlHeader ktlHeaderAt(const QString& comment, const QDateTime& now) {
    return {comment, text::shortDateText(now.date()), text::longTimeText(now.time())};
}

int writeKtlFile(const QString& path, const SeriesStore& store, const KtlHeader& header) {
    text::SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    KtlChunkWriter out(writer);
    out.line(oneLineCp1251(header.comment));
    out.line(oneLineCp1251(header.date));
    out.line(oneLineCp1251(header.time));
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    for (int series = 1; series <= lastSeries; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            writeBlock(out, store, segment, series);
        }
    }
    out.flush();
    return writer.commit();
}

int saveKtlFile(const QString& path, SeriesStore& store, const KtlHeader& header) {
    const int error = writeKtlFile(path, store, header);
    if (error == 0) {
        store.snapshotStored();
    }
    return error;
}

}  // namespace tarvix::series
